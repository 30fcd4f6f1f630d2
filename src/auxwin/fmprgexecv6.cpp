#include "auxwin/fmprgexecv6.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "auxwin/programpicture.h"

TFMPrgExecV6* FMPrgExecV6 = nullptr;

TFMPrgExecV6::TFMPrgExecV6(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("FMPrgExecV6"));
  setWindowTitle(QStringLiteral("プログラム起動中画面"));
  setFixedSize(410, 197);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(rect());
  Image1->setPixmap(korvel::startupPicture(size()));
  Label1 = new QLabel(QStringLiteral("指定プログラム起動中"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  QFont bold = Label1->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 4);
  Label1->setFont(bold);
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setGeometry(rect().adjusted(110, 0, 0, 0));

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(3000);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  FormCreate();
}

TFMPrgExecV6::~TFMPrgExecV6() {
  if (FMPrgExecV6 == this) FMPrgExecV6 = nullptr;
}

void TFMPrgExecV6::FormCreate() {
  if (!FMPrgExecV6) FMPrgExecV6 = this;
}

void TFMPrgExecV6::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  FormShow();
}

void TFMPrgExecV6::FormShow() {
  Timer1->start();
  repaint();
}

void TFMPrgExecV6::Timer1Timer() {
  Timer1->stop();
  close();
}
