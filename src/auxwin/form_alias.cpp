#include "auxwin/form_alias.h"

#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

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
