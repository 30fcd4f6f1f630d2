#include "auxwin/formtjusdebug.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/codepage.h"
#include "common/sqlliterals.h"
#include "db/engineerror.h"
#include "db/query.h"
#include "prompt/prompt.h"
#include "ui/windowhelpers.h"

TFormTjusDebug* FormTjusDebug = nullptr;

namespace {

const char kSelect[] =
    "SELECT TJUS_KEY,TJUS_EIGBLKCD,TJUS_FID,TJUS_DATA1,TJUS_DATA2,TJUS_DATA3,TJUS_DATA4,TJUS_DATA5,"
    "TJUS_RECMAKE FROM TJUS ";

QLineEdit* lineEdit(QWidget* parent, const char* name) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  return e;
}

}  // namespace

TFormTjusDebug::TFormTjusDebug(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormTjusDebug"));
  setWindowTitle(QStringLiteral("FormDtl"));
  auto* layout = new QVBoxLayout(this);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("KEY"), this));
  EditKey = lineEdit(this, "EditKey");
  top->addWidget(EditKey);
  SpeedButton1 = new QToolButton(this);
  SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
  SpeedButton1->setText(QStringLiteral("Open"));
  SpeedButton2 = new QToolButton(this);
  SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
  SpeedButton2->setText(QStringLiteral("＋"));
  ButtonFClose = new QPushButton(QStringLiteral("Program Close"), this);
  ButtonFClose->setObjectName(QStringLiteral("ButtonFClose"));
  top->addWidget(SpeedButton1);
  top->addWidget(SpeedButton2);
  top->addStretch();
  top->addWidget(ButtonFClose);
  layout->addLayout(top);

  auto* edits = new QHBoxLayout;
  EditEigBLK = lineEdit(this, "EditEigBLK");
  EditFID = lineEdit(this, "EditFID");
  EditRecMake = lineEdit(this, "EditRecMake");
  for (QLineEdit* e : {EditEigBLK, EditFID, EditRecMake}) edits->addWidget(e);
  layout->addLayout(edits);

  auto* memos = new QGridLayout;
  for (int i = 0; i < 5; ++i) {
    memos->addWidget(new QLabel(QStringLiteral("Field%1").arg(i + 1), this), i, 0, Qt::AlignTop);
    Memos[i] = new QPlainTextEdit(this);
    Memos[i]->setObjectName(QStringLiteral("Memo%1").arg(i + 1));
    Memos[i]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memos->addWidget(Memos[i], i, 1);
  }
  layout->addLayout(memos, 1);

  QueryTmp = new korvel::db::Query(this);
  QueryTmp->setObjectName(QStringLiteral("QueryTmp"));

  connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
  connect(ButtonFClose, &QPushButton::clicked, this, [this] { ButtonFCloseClick(); });
  resize(560, 520);
}

void TFormTjusDebug::SpeedButton1Click() {
  QString sql = QString::fromLatin1(kSelect);
  const QString key = EditKey->text();
  if (!key.isEmpty()) {
    // The key becomes a number literal: nothing but a number reaches the statement.
    std::string bytes;
    if (!korvel::tryToCp932(key, bytes)) bytes.clear();
    sql += QStringLiteral(" WHERE TJUS_KEY = ") + korvel::fromCp932(Qz_OraSqlAddSepa("NU", bytes));
  }
  if (!Qz_OpenQuery(*QueryTmp, sql)) return;
  try {
    const bool found = !QueryTmp->eof();
    auto column = [&](const QString& name) {
      return found ? QueryTmp->fieldByName(name).asString() : QString();
    };
    EditEigBLK->setText(column(QStringLiteral("TJUS_EIGBLKCD")));
    EditFID->setText(column(QStringLiteral("TJUS_FID")));
    EditRecMake->setText(column(QStringLiteral("TJUS_RECMAKE")));
    for (int i = 0; i < 5; ++i) {
      Memos[i]->clear();
      Memos[i]->appendPlainText(column(QStringLiteral("TJUS_DATA%1").arg(i + 1)));
    }
  } catch (const korvel::db::EngineError& e) {
    korvel::showError(e.lastMessage());
  }
  QueryTmp->close();
  QueryTmp->unprepare();
}

void TFormTjusDebug::SpeedButton2Click() {
  bool ok = false;
  const qlonglong key = EditKey->text().trimmed().toLongLong(&ok);
  EditKey->setText(QString::number((ok ? key : 0) + 1));
  SpeedButton1Click();
}

void TFormTjusDebug::ButtonFCloseClick() {
  QueryTmp->close();
  close();
}
