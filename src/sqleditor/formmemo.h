#pragma once
// SQL editor. Not built yet beyond the controls other windows reach: the
// statement memo, the alias edit and the column-name list.

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

class TFormMemo : public QDialog {
  Q_OBJECT
 public:
  explicit TFormMemo(QWidget* parent = nullptr);

  QPlainTextEdit* Memo1;
  QLineEdit* EditAlias;
  QComboBox* ComboBoxItem;
};

extern TFormMemo* FormMemo;
