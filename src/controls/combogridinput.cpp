// TComboGrid: the in-place editor rules, keyboard and mouse.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "controls/combogrid.h"
#include "controls/comboinplaceedit.h"
#include "controls/kindcell.h"

namespace {
bool IsKindCell(const TCellKind* kind) { return kind->Kind() == ckButton || kind->Kind() == ckCheck; }
constexpr int kSizingSlack = 3;  // pixels either side of a border that start sizing
}  // namespace

// --- editor rules --------------------------------------------------------------

TComboInplaceEdit* TComboGrid::CreateEditor() { return new TComboInplaceEdit(this); }

bool TComboGrid::BaseCanEditShow() const {
  return (options_ & goEditing) && !(options_ & goRowSelect) && editorMode_ &&
         col_ >= fixedCols_ && row_ >= fixedRows_;
}

bool TComboGrid::CanEditShow() {
  const bool base = BaseCanEditShow();
  TCellKind* kind = GetCellKind(col_);
  if (editor_) editor_->SetCellKind(kind);
  if (kind->Editable() && (kind->Kind() == ckEdit || kind->Kind() == ckDropDown))
    return base || (!editorMode_ && (options_ & goAlwaysShowEditor));
  if (editor_ && editorShown_) {
    editCol_ = editRow_ = -1;
    const bool hadFocus = editor_->hasFocus();
    editor_->HideList();
    editor_->hide();
    editorShown_ = false;
    if (hadFocus) setFocus();
  }
  InvalidateCell(col_, row_);
  return false;
}

QString TComboGrid::GetEditMask(int ACol, int) {
  const TCellKind* kind = GetCellKind(ACol);
  if (kind->Kind() == ckEdit && !kind->ItemText(0).isEmpty()) return kind->ItemText(0);
  return QString();
}

int TComboGrid::GetEditLimit() {
  const TCellKind* kind = GetCellKind(col_);
  return kind->Kind() == ckEdit ? kind->MaxLength() : 0;
}

bool TComboGrid::EditorMode() const { return editorMode_; }

void TComboGrid::SetEditorMode(bool on) {
  if (on)
    ShowEditor();
  else
    HideEditor();
}

void TComboGrid::ShowEditor() {
  editorMode_ = true;
  UpdateEditor();
}

void TComboGrid::HideEditor() {
  if (!(options_ & goAlwaysShowEditor)) editorMode_ = false;
  if (!editor_ || !editorShown_) return;
  const bool hadFocus = editor_->hasFocus() || (editor_->ListBox() && editor_->ListVisible());
  editCol_ = editRow_ = -1;  // the edit ends
  editor_->HideList();
  editor_->hide();
  editorShown_ = false;
  if (hadFocus) setFocus();
  InvalidateCell(col_, row_);
}

// Shows the editor over the current cell when CanEditShow allows it.
void TComboGrid::UpdateEditor() {
  if (!CanEditShow()) return;
  if (CellRect(col_, row_).isEmpty()) return;
  if (!editor_) {
    editor_ = CreateEditor();
    editor_->SetCellKind(GetCellKind(col_));
  }
  const bool wasShown = editorShown_;
  // A new edit starts when the editor appears or moves to another cell;
  // otherwise (scrolling, options) the edit in progress goes on untouched.
  const bool newEdit = editCol_ != col_ || editRow_ != row_;
  editor_->SetEditMask(GetEditMask(col_, row_));
  editor_->SetMaxLength(GetEditLimit());
  if (newEdit) {
    settingEditorText_ = true;
    editor_->setText(Cells(col_, row_));
    settingEditorText_ = false;
    textBeforeEdit_ = Cells(col_, row_);
    editCol_ = col_;
    editRow_ = row_;
  }
  editorShown_ = true;
  PlaceEditor();
  editor_->show();
  if (hasFocus() || wasShown || editor_->hasFocus()) editor_->setFocus();
  if (newEdit) editor_->selectAll();
  InvalidateCell(col_, row_);
}

void TComboGrid::PlaceEditor() {
  if (!editor_ || !editorShown_) return;
  const QRect r = CellRect(col_, row_);
  if (r.isEmpty()) return;
  editor_->setGeometry(r);
  editor_->SetTextRect();
}

void TComboGrid::EditorTextEdited(const QString& text) {
  settingEditorText_ = true;
  SetCells(col_, row_, text);
  settingEditorText_ = false;
  emit OnSetEditText(col_, row_, text);
}

// Escape in the editor: the cell gets back the text it had when editing began.
void TComboGrid::EditorEscape() {
  if (Cells(col_, row_) != textBeforeEdit_) EditorTextEdited(textBeforeEdit_);
  if (options_ & goAlwaysShowEditor) {
    settingEditorText_ = true;
    editor_->setText(textBeforeEdit_);
    settingEditorText_ = false;
    editor_->selectAll();
  } else {
    HideEditor();
  }
}

// --- keyboard ------------------------------------------------------------------

bool TComboGrid::HandleKindKeyPress(QKeyEvent* e) {
  const TCellKind* kind = GetCellKind(col_);
  if (e->key() == Qt::Key_Space && IsKindCell(kind)) {
    if (leftButtonDown_) return false;  // held Space: repeats go to the framework
    ScrollIntoView(col_, row_);
    leftButtonDown_ = true;
    LeftButtonPress(CellRect(col_, row_).topLeft());
    return true;
  }
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && kind->Kind() == ckButton) {
    emit OnGridBtnClick(col_, row_);
    return true;
  }
  return false;
}

bool TComboGrid::HandleKindKeyRelease(QKeyEvent* e) {
  if (e->key() != Qt::Key_Space || e->isAutoRepeat() || !IsKindCell(GetCellKind(col_)))
    return false;
  LeftButtonRelease(CellRect(col_, row_).topLeft());
  leftButtonDown_ = false;
  return true;
}

void TComboGrid::keyPressEvent(QKeyEvent* e) {
  int key = e->key();
  emit OnKeyDown(key, e->modifiers());
  if (key == 0) return;
  if (HandleKindKeyPress(e)) return;
  const bool editing = options_ & goEditing;
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && editing) {
    if (editorShown_) {
      HideEditor();
      if (options_ & goAlwaysShowEditor) {
        editorMode_ = false;
        setFocus();
      }
    } else {
      ShowEditor();
    }
    return;
  }
  if (e->key() == Qt::Key_F2 && editing) {
    ShowEditor();
    return;
  }
  if (e->key() == Qt::Key_Escape && editorShown_) {
    EditorEscape();
    return;
  }
  const QString text = e->text();
  if (editing && !text.isEmpty() && text[0].isPrint() && key != Qt::Key_Space &&
      !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    // The first character typed replaces the cell's text.
    if (!editorShown_) {
      ShowEditor();
      if (editorShown_ && editor_) editor_->clear();
    }
    if (editorShown_ && editor_) {
      QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->text());
      QApplication::sendEvent(editor_, &copy);
    }
    return;
  }
  MoveByKey(e);
}

void TComboGrid::keyReleaseEvent(QKeyEvent* e) {
  int key = e->key();
  emit OnKeyUp(key, e->modifiers());
  if (key == 0) return;
  if (HandleKindKeyRelease(e)) return;
  QAbstractScrollArea::keyReleaseEvent(e);
}

void TComboGrid::MoveByKey(QKeyEvent* e) {
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  const int page = qMax(1, VisibleRowCount());
  int col = col_, row = row_;
  switch (e->key()) {
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_PageUp: row -= page; break;
    case Qt::Key_PageDown: row += page; break;
    case Qt::Key_Home: col = fixedCols_; if (ctrl) row = fixedRows_; break;
    case Qt::Key_End: col = colCount_ - 1; if (ctrl) row = rowCount_ - 1; break;
    default:
      QAbstractScrollArea::keyPressEvent(e);
      return;
  }
  FocusCell(col, row, shift);
}

// Tab moves between cells when goTabs is set, otherwise between controls.
bool TComboGrid::focusNextPrevChild(bool next) {
  if (!(options_ & goTabs)) return QAbstractScrollArea::focusNextPrevChild(next);
  int col = col_ + (next ? 1 : -1), row = row_;
  if (col >= colCount_) col = fixedCols_, ++row;
  if (col < fixedCols_) col = colCount_ - 1, --row;
  if (row < fixedRows_ || row >= rowCount_) return QAbstractScrollArea::focusNextPrevChild(next);
  FocusCell(col, row);
  return true;
}

bool TComboGrid::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Space || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
      e->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(e);
}

void TComboGrid::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  if ((options_ & goAlwaysShowEditor) && (options_ & goEditing)) editorMode_ = true;
  if (editorMode_) UpdateEditor();
  InvalidateGrid();
}

void TComboGrid::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  InvalidateGrid();
}

// --- mouse -----------------------------------------------------------------------

// The border (column or row index whose right/bottom edge is near the
// point) in the title area, or -1.
int TComboGrid::SizingBorderAt(const QPoint& point, bool columns) const {
  int col = -1, row = -1;
  MouseToCell(point, col, row);
  if (col < 0) return -1;
  if (columns ? row >= fixedRows_ : col >= fixedCols_) return -1;
  const int index = columns ? col : row;
  const QRect r = CellRect(col, row);
  const int edge = columns ? r.right() + 1 : r.bottom() + 1;
  const int pos = columns ? point.x() : point.y();
  if (qAbs(pos - edge) <= kSizingSlack) return index;
  const int start = columns ? r.left() : r.top();
  if (qAbs(pos - start) <= kSizingSlack && index > 0) {
    // Near the left/top edge: the previous shown column/row is sized.
    int prev = index - 1;
    if (columns && index == leftCol_) prev = fixedCols_ - 1;
    if (!columns && index == topRow_) prev = fixedRows_ - 1;
    return prev;
  }
  return -1;
}

void TComboGrid::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(e);
    return;
  }
  const QPoint pos = e->position().toPoint();
  leftButtonDown_ = true;
  if (!hasFocus() && !(editor_ && editor_->hasFocus())) setFocus(Qt::MouseFocusReason);
  // The framework's part: sizing, or making the clicked cell current.
  if (options_ & goColSizing) sizingIndex_ = SizingBorderAt(pos, true), sizingColumns_ = true;
  if (sizingIndex_ < 0 && (options_ & goRowSizing))
    sizingIndex_ = SizingBorderAt(pos, false), sizingColumns_ = false;
  if (sizingIndex_ >= 0) {
    const QRect first = sizingColumns_ ? CellRect(sizingIndex_, 0) : CellRect(0, sizingIndex_);
    sizingOrigin_ = sizingColumns_ ? first.left() : first.top();
    return;
  }
  int col = -1, row = -1;
  MouseToCell(pos, col, row);
  if (col >= fixedCols_ && row >= fixedRows_) {
    if (col == col_ && row == row_ && (options_ & goEditing) && !editorShown_) {
      ShowEditor();
    } else {
      FocusCell(col, row, e->modifiers() & Qt::ShiftModifier);
      selectingByMouse_ = options_ & goRangeSelect;
    }
  }
  LeftButtonPress(pos);
}

void TComboGrid::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (sizingIndex_ >= 0) {
    const int size = qMax(0, (sizingColumns_ ? pos.x() : pos.y()) - sizingOrigin_);
    if (sizingColumns_)
      SetColWidths(sizingIndex_, size);
    else
      SetRowHeights(sizingIndex_, size);
    return;
  }
  if (selectingByMouse_ && (e->buttons() & Qt::LeftButton)) {
    int col = -1, row = -1;
    MouseToCell(pos, col, row);
    if (col >= fixedCols_ && row >= fixedRows_ && (col != col_ || row != row_))
      FocusCell(col, row, true);
    return;
  }
  const bool overBorder = ((options_ & goColSizing) && SizingBorderAt(pos, true) >= 0) ||
                          ((options_ & goRowSizing) && SizingBorderAt(pos, false) >= 0);
  if (overBorder)
    viewport()->setCursor(SizingBorderAt(pos, true) >= 0 && (options_ & goColSizing)
                              ? Qt::SplitHCursor
                              : Qt::SplitVCursor);
  else
    viewport()->unsetCursor();
}

void TComboGrid::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) {
    QAbstractScrollArea::mouseReleaseEvent(e);
    return;
  }
  sizingIndex_ = -1;
  selectingByMouse_ = false;
  leftButtonDown_ = false;
  LeftButtonRelease(e->position().toPoint());
  emit OnClick();
}

// The second press of a double click: reported, and it presses a button or
// check cell again, as any press does.
void TComboGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  leftButtonDown_ = true;
  emit OnDblClick();
  LeftButtonPress(e->position().toPoint());
}

// A press in a button cell, or in an editable check cell of an editing grid,
// holds the cell down until the release.
void TComboGrid::LeftButtonPress(const QPoint& point) {
  int col = -1, row = -1;
  MouseToCell(point, col, row);
  const int oldCol = pressedCol_, oldRow = pressedRow_;
  pressedCol_ = pressedRow_ = -1;
  if (oldCol >= 0) InvalidateCell(oldCol, oldRow);
  if (col < 0 || row < fixedRows_) return;
  const TCellKind* kind = GetCellKind(col);
  const bool pressable = kind->Kind() == ckButton ||
                         (kind->Kind() == ckCheck && kind->Editable() && (options_ & goEditing));
  if (!pressable) return;
  pressedCol_ = col;
  pressedRow_ = row;
  kindFocusCol_ = kindFocusRow_ = -1;
  InvalidateCell(col, row);
}

void TComboGrid::LeftButtonRelease(const QPoint& point) {
  if (editor_) editor_->SetTextRect();
  if (pressedCol_ < 0) return;
  const int col = pressedCol_, row = pressedRow_;
  InvalidateCell(col, row);
  if (CellRect(col, row).contains(point)) {
    const TCellKind* kind = GetCellKind(col);
    if (kind->Kind() == ckCheck) SetCells(col, row, NextCheckValue(*kind, Cells(col, row)));
    emit OnGridBtnClick(col, row);
  }
  if (col >= fixedCols_ && row >= fixedRows_) {
    kindFocusCol_ = col;
    kindFocusRow_ = row;
  }
  pressedCol_ = pressedRow_ = -1;
  InvalidateCell(col, row);
}

void TComboGrid::CancelMode(QWidget* cause) {
  if (!editor_ || !editor_->ListBox()) return;
  if (cause == editor_ || cause == editor_->ListBox()) return;
  editor_->HideList();
}
