#pragma once
// About box. Not built yet beyond its caption and version label; its own issue
// brings the rest.

#include <QDialog>

class QLabel;

class TFMAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TFMAbout(QWidget* parent = nullptr);

  QLabel* LabelVersion;
};

extern TFMAbout* FMAbout;
