#include "auxwin/fmabout.h"

#include <QLabel>
#include <QVBoxLayout>

TFMAbout* FMAbout = nullptr;

TFMAbout::TFMAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FMAbout"));
  setWindowTitle(QStringLiteral("バージョン情報"));
  auto* layout = new QVBoxLayout(this);
  LabelVersion = new QLabel(QStringLiteral("Version "), this);
  LabelVersion->setObjectName(QStringLiteral("LabelVersion"));
  layout->addWidget(LabelVersion);
}
