#include "auxwin/form_alias.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "db/engine.h"
#include "prompt/prompt.h"
#include "ui/windowhelpers.h"

TForm_Alias* Form_Alias = nullptr;

TForm_Alias::TForm_Alias(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form_Alias"));
  setWindowTitle(QStringLiteral("エリアス情報表示"));
  setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
  resize(384, 552);
  auto* layout = new QVBoxLayout(this);
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  BitBtn1 = new QPushButton(QStringLiteral("　終了"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
  layout->addWidget(ListBox1, 1);
  layout->addWidget(BitBtn1, 0, Qt::AlignRight);
  layout->addWidget(StatusBar1);
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
}

void TForm_Alias::BitBtn1Click() { close(); }

void ShowAliasInformation(const QComboBox* aliasBox, QWidget* statusBar) {
  // The window exists once the program has created its windows.
  if (Form_Alias) Form_Alias->ListBox1->clear();
  if (aliasBox->count() == 0) {
    Qz_ShowStatus(QStringLiteral("エリアス名なし"), statusBar);
    return;
  }
  const int index = aliasBox->currentIndex();
  if (index < 0 || aliasBox->itemText(index) != aliasBox->currentText()) {
    Qz_ShowStatus(QStringLiteral("エリアス名を指定せよ"), statusBar);
    return;
  }
  if (!Form_Alias) return;
  Form_Alias->ListBox1->addItems(korvel::db::Engine::instance().aliasParams(aliasBox->currentText()));
  korvel::prompt().showModal(Form_Alias);
}
