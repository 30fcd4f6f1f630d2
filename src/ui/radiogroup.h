#pragma once
// TRadioGroup: a captioned frame of mutually exclusive choices, one of which
// is selected; the selection is read and set by its index (-1 for none).

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  // The items are laid out top to bottom in `columns` columns; the first
  // item is selected.
  TRadioGroup(const QString& caption, const QStringList& items, int columns = 1,
              QWidget* parent = nullptr);

  int ItemIndex() const;
  void SetItemIndex(int index);  // an index outside the items selects none
  int ItemCount() const;
  QRadioButton* Button(int index) const;  // null outside the items

 signals:
  // Raised when the user (or SetItemIndex) changes the selection.
  void OnClick();

 private:
  QButtonGroup* group_;
};
