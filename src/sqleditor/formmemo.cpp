#include "sqleditor/formmemo.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "common/programstate.h"

TFormMemo* FormMemo = nullptr;

TFormMemo::TFormMemo(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormMemo"));
  setWindowTitle(QStringLiteral("SQL文編集"));
  auto* layout = new QVBoxLayout(this);
  EditAlias = new QLineEdit(this);
  ComboBoxItem = new QComboBox(this);
  ComboBoxItem->setEditable(true);
  Memo1 = new QPlainTextEdit(this);
  layout->addWidget(EditAlias);
  layout->addWidget(ComboBoxItem);
  layout->addWidget(Memo1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    EditorResult = QStringLiteral("OK");
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

