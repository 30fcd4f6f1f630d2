#include "auxwin/fmabout.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <sqlite3.h>
#include <xlsxwriter.h>

#include "auxwin/programpicture.h"

TFMAbout* FMAbout = nullptr;

#ifndef KORVEL_VERSION
#define KORVEL_VERSION "unknown"
#endif
#ifndef KORVEL_PXLIB_VERSION
#define KORVEL_PXLIB_VERSION ""
#endif

QString TFMAbout::credits() {
  const QString pxlib = QString::fromLatin1(KORVEL_PXLIB_VERSION);
  const QStringList lines = {
      QStringLiteral("Korvel %1 は次のライブラリを使っています。").arg(QString::fromLatin1(KORVEL_VERSION)),
      QString(),
      QStringLiteral("Qt %1 (Core, Gui, Widgets, Sql)").arg(QString::fromLatin1(qVersion())),
      QStringLiteral("  The Qt Company Ltd. / GNU LGPL version 3"),
      QStringLiteral("SQLite %1").arg(QString::fromLatin1(sqlite3_libversion())),
      QStringLiteral("  D. Richard Hipp ほか / Public Domain"),
      QStringLiteral("libxlsxwriter %1").arg(QString::fromLatin1(LXW_VERSION)),
      QStringLiteral("  John McNamara / BSD 2-Clause License"),
      QStringLiteral("  (minizip, zlib: zlib License)"),
      QStringLiteral("pxlib %1").arg(pxlib).trimmed(),
      QStringLiteral("  Uwe Steinmann / GNU GPL version 2 or later"),
      QStringLiteral("PostgreSQL client library (libpq, Qt の QPSQL ドライバ経由)"),
      QStringLiteral("  PostgreSQL Global Development Group / PostgreSQL License"),
      QStringLiteral("unixODBC (Qt の QODBC ドライバ経由)"),
      QStringLiteral("  Nick Gorham ほか / GNU LGPL version 2.1 or later"),
      QStringLiteral("GNU C Library (iconv: シフトJIS変換)"),
      QStringLiteral("  Free Software Foundation / GNU LGPL version 2.1 or later"),
  };
  return lines.join(QLatin1Char('\n'));
}

TFMAbout::TFMAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FMAbout"));
  setWindowTitle(QStringLiteral("バージョン情報"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto* layout = new QVBoxLayout(this);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameShape(QFrame::StyledPanel);
  auto* panelLayout = new QHBoxLayout(panel);
  ProgramIcon = new QLabel(panel);
  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  ProgramIcon->setPixmap(korvel::programIcon(64));
  panelLayout->addWidget(ProgramIcon, 0, Qt::AlignTop);
  auto* texts = new QVBoxLayout;
  ProductName = new QLabel(QStringLiteral("Korvel"), panel);
  ProductName->setObjectName(QStringLiteral("ProductName"));
  QFont big = ProductName->font();
  big.setPointSize(big.pointSize() + 6);
  big.setBold(true);
  ProductName->setFont(big);
  LabelVersion = new QLabel(QStringLiteral("Version "), panel);
  LabelVersion->setObjectName(QStringLiteral("LabelVersion"));
  auto* programVersion =
      new QLabel(QStringLiteral("Korvel %1（汎用ファイルメンテ）").arg(QString::fromLatin1(KORVEL_VERSION)), panel);
  programVersion->setObjectName(QStringLiteral("ProgramVersion"));
  Copyright = new QLabel(QStringLiteral("データベースのテーブル保守ツール"), panel);
  Copyright->setObjectName(QStringLiteral("Copyright"));
  Comments = new QLabel(QStringLiteral("Comments: 使用しているライブラリとそのライセンスは下の一覧のとおりです。"), panel);
  Comments->setObjectName(QStringLiteral("Comments"));
  Comments->setWordWrap(true);
  for (QLabel* l : {ProductName, LabelVersion, programVersion, Copyright, Comments}) texts->addWidget(l);
  panelLayout->addLayout(texts, 1);
  layout->addWidget(panel);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setPlainText(credits());
  layout->addWidget(Memo1, 1);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setDefault(true);
  layout->addWidget(OKButton, 0, Qt::AlignHCenter);
  connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  resize(460, 420);
}

void TFMAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Centred on the screen.
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TFMAbout::OKButtonClick() { accept(); }
