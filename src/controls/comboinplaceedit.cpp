#include "controls/comboinplaceedit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>

#include "controls/combogrid.h"
#include "controls/kindcell.h"

// --- TInplaceListBox ---------------------------------------------------------------

TInplaceListBox::TInplaceListBox(TComboInplaceEdit* edit)
    : QListWidget(edit), edit_(edit) {
  // A popup floats over the window, is not clipped by the grid, and is told
  // it has the keyboard; a press outside it closes it (the cancel mode).
  setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
  setFocusPolicy(Qt::NoFocus);
  setSelectionMode(QAbstractItemView::SingleSelection);
  resize(width(), 97);
  hide();
  connect(this, &QListWidget::currentRowChanged, this, [this](int) {
    if (!quiet_) emit OnClick();
  });
}

void TInplaceListBox::SelectQuietly(int index) {
  quiet_ = true;
  setCurrentRow(index);
  if (index < 0) clearSelection();
  quiet_ = false;
}

void TInplaceListBox::PickItem() {
  const QListWidgetItem* item = currentItem();
  if (item && item->isSelected()) {
    edit_->setText(item->text());
    emit edit_->textEdited(item->text());
  }
}

void TInplaceListBox::mouseReleaseEvent(QMouseEvent* event) {
  QListWidget::mouseReleaseEvent(event);
  PickItem();
  edit_->HideList();
}

void TInplaceListBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    edit_->HideList();
    return;
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    PickItem();
    edit_->HideList();
    return;
  }
  QListWidget::keyPressEvent(event);
}

void TInplaceListBox::keyReleaseEvent(QKeyEvent* event) {
  QListWidget::keyReleaseEvent(event);
  PickItem();
}

void TInplaceListBox::hideEvent(QHideEvent* event) {
  QListWidget::hideEvent(event);
  edit_->update();
}

// --- TComboInplaceEdit ---------------------------------------------------------------

TComboInplaceEdit::TComboInplaceEdit(TComboGrid* grid)
    : QLineEdit(grid->viewport()), grid_(grid) {
  setFrame(false);
  hide();
  connect(this, &QLineEdit::textEdited, grid_, &TComboGrid::EditorTextEdited);
}

TComboInplaceEdit::~TComboInplaceEdit() = default;

void TComboInplaceEdit::SetEditMask(const QString& mask) {
  if (mask != inputMask()) setInputMask(mask);
}

int TComboInplaceEdit::MaxLength() const { return maxLength() >= 32767 ? 0 : maxLength(); }

void TComboInplaceEdit::SetMaxLength(int length) { setMaxLength(length > 0 ? length : 32767); }

void TComboInplaceEdit::SetCellKind(const TCellKind* kind) {
  if (!kind) {
    kind_ = TCellKind();
    SetTextRect();
    return;
  }
  kind_.Assign(*kind);
  if (IsDropDown()) {
    EnsureList();
    list_->clear();
    list_->resize(kind_.ListWidth() > 0 ? kind_.ListWidth() : list_->width(), list_->height());
    for (const TCellKindItem& item : kind_.Items()) {
      auto* entry = new QListWidgetItem(item.text, list_);
      entry->setData(Qt::UserRole, item.value);
    }
  }
  SetTextRect();
  update();
}

void TComboInplaceEdit::EnsureList() {
  if (list_) return;
  list_ = new TInplaceListBox(this);
  connect(list_, &TInplaceListBox::OnClick, this,
          [this] { emit grid_->OnGridBtnClick(grid_->Col(), grid_->Row()); });
}

bool TComboInplaceEdit::ListVisible() const { return list_ && list_->isVisible(); }

void TComboInplaceEdit::HideList() {
  if (ListVisible()) {
    list_->hide();
    update();
  }
}

// The text area: 2 pixels in from the left and top, clear of the button.
void TComboInplaceEdit::SetTextRect() {
  const int right = IsDropDown() ? ButtonWidth() + 2 : 2;
  setTextMargins(2, 2, right, 0);
}

bool TComboInplaceEdit::OverButton(int x) const {
  return IsDropDown() && x > width() - ButtonWidth();
}

void TComboInplaceEdit::ToggleList() {
  EnsureList();
  if (!list_->isVisible()) {
    if (list_->count() > 0) {
      list_->SelectQuietly(0);
      const auto found = list_->findItems(text(), Qt::MatchFixedString);  // ignores case
      list_->SelectQuietly(found.isEmpty() ? -1 : list_->row(found.first()));
    }
    const int listWidth = kind_.ListWidth() < width() ? width() : kind_.ListWidth();
    list_->resize(listWidth, list_->height());
    list_->move(mapToGlobal(QPoint(width() - listWidth, height())));
    selectAll();
    // As the active popup the list receives the keyboard without taking the
    // focus from the editor.
    list_->show();
  } else {
    list_->hide();
  }
  update();
}

void TComboInplaceEdit::DrawDropButton(QPainter& p, bool down) {
  const int W = width(), H = height(), bw = ButtonWidth();
  DrawButtonFace(p, this, QRect(QPoint(W - bw, 0), QPoint(W - 1, H - 2)), down);
  p.setPen(palette().color(QPalette::ButtonText));
  for (int k = 0; k < 4; ++k) {
    const int y = H / 2 - 2 + k, x = W - bw / 2 - 4 + k, len = 7 - 2 * k;
    p.drawLine(x, y, x + len - 1, y);
  }
  if (down) DrawFocusFrame(p, QRect(QPoint(W - bw, 0), QPoint(W - 1, H - 1)));
}

void TComboInplaceEdit::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  if (!IsDropDown()) return;
  QPainter p(this);
  DrawDropButton(p, buttonDownX_ >= 0);
}

void TComboInplaceEdit::focusInEvent(QFocusEvent* event) {
  if (IsDropDown()) SetTextRect();
  QLineEdit::focusInEvent(event);
}

void TComboInplaceEdit::focusOutEvent(QFocusEvent* event) {
  // Opening the list moves the keyboard to the popup; that is no leaving.
  if (IsDropDown() && event->reason() != Qt::PopupFocusReason) HideList();
  QLineEdit::focusOutEvent(event);
}

void TComboInplaceEdit::mousePressEvent(QMouseEvent* event) {
  buttonDownX_ = -1;
  const int x = int(event->position().x());
  if (event->button() == Qt::LeftButton && OverButton(x)) {
    buttonDownX_ = x;
    update();
    return;  // the button is no part of the text
  }
  QLineEdit::mousePressEvent(event);
}

void TComboInplaceEdit::mouseMoveEvent(QMouseEvent* event) {
  if (OverButton(int(event->position().x())))
    setCursor(Qt::ArrowCursor);
  else
    setCursor(Qt::IBeamCursor);
  QLineEdit::mouseMoveEvent(event);
}

void TComboInplaceEdit::mouseReleaseEvent(QMouseEvent* event) {
  // The click (toggling the list) comes before the button is drawn up.
  if (IsDropDown() && buttonDownX_ >= 0 && event->button() == Qt::LeftButton) ToggleList();
  buttonDownX_ = -1;
  update();
  QLineEdit::mouseReleaseEvent(event);
}

// Up and Down in a drop-down cell step through the list, shown or not; the
// grid does not move.
bool TComboInplaceEdit::PassArrowToList(QKeyEvent* event) {
  if (!IsDropDown() || (event->key() != Qt::Key_Up && event->key() != Qt::Key_Down)) return false;
  EnsureList();
  QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text());
  QApplication::sendEvent(list_, &copy);
  return true;
}

void TComboInplaceEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (PassArrowToList(event)) return;
  if (IsDropDown() && key == Qt::Key_Escape) {
    HideList();
    return;
  }
  // Keys that belong to the grid: moving, ending or cancelling the edit.
  const bool atStart = cursorPosition() == 0 && !hasSelectedText();
  const bool atEnd = cursorPosition() == text().size() && !hasSelectedText();
  if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
      key == Qt::Key_PageDown || key == Qt::Key_Return || key == Qt::Key_Enter ||
      key == Qt::Key_Escape || (key == Qt::Key_Left && atStart) ||
      (key == Qt::Key_Right && atEnd) || (event->modifiers() & Qt::ControlModifier &&
                                          (key == Qt::Key_Home || key == Qt::Key_End))) {
    QApplication::sendEvent(grid_, event);
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TComboInplaceEdit::keyReleaseEvent(QKeyEvent* event) {
  if (PassArrowToList(event)) return;
  QLineEdit::keyReleaseEvent(event);
}

// Tab belongs to the grid: with goTabs it moves between cells.
bool TComboInplaceEdit::focusNextPrevChild(bool next) { return grid_->focusNextPrevChild(next); }
