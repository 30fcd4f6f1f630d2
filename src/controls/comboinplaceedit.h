#pragma once
// The combo grid's in-place editor (a line edit over the current cell) and
// the floating list of a drop-down column.

#include <QLineEdit>
#include <QListWidget>

#include "controls/cellkind.h"

class TComboGrid;
class TComboInplaceEdit;

// The drop-down list: a frameless popup so that it floats over the window and
// is not clipped by the grid. Starts hidden, 97 pixels high.
class TInplaceListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit TInplaceListBox(TComboInplaceEdit* edit);
  TComboInplaceEdit* Edit() const { return edit_; }
  // When an entry is selected, the editor's text becomes that entry.
  void PickItem();
  // Selects an entry without raising the user-selection notification.
  void SelectQuietly(int index);

 signals:
  // A selection change made by the user (mouse or keys).
  void OnClick();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  TComboInplaceEdit* edit_;
  bool quiet_ = false;
};

class TComboInplaceEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TComboInplaceEdit(TComboGrid* grid);
  ~TComboInplaceEdit() override;

  TComboGrid* Grid() const { return grid_; }
  const TCellKind& CellKind() const { return kind_; }
  // No kind: the editor behaves as ckEdit. A ckDropDown kind fills the list.
  void SetCellKind(const TCellKind* kind);
  QString EditMask() const { return inputMask(); }
  void SetEditMask(const QString& mask);
  int MaxLength() const;  // 0 = no limit
  void SetMaxLength(int length);

  TInplaceListBox* ListBox() const { return list_; }
  bool ListVisible() const;
  int ButtonDownX() const { return buttonDownX_; }
  // Shows the list below the editor, right-aligned, or hides it.
  void ToggleList();
  void HideList();
  // Keeps the text clear of the drop-down button.
  void SetTextRect();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool next) override;

 private:
  bool IsDropDown() const { return kind_.Kind() == ckDropDown; }
  bool OverButton(int x) const;
  void DrawDropButton(QPainter& painter, bool down);
  void EnsureList();
  bool PassArrowToList(QKeyEvent* event);

  TComboGrid* grid_;
  TCellKind kind_;
  TInplaceListBox* list_ = nullptr;
  int buttonDownX_ = -1;
};
