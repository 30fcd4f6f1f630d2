#pragma once
// FormDispFormat
// Not built yet: a plain window with its caption, so that the program creates
// every window in its order. Its own issue brings the controls.

#include <QDialog>

class TFormDispFormat : public QDialog {
  Q_OBJECT
 public:
  explicit TFormDispFormat(QWidget* parent = nullptr);
};

extern TFormDispFormat* FormDispFormat;
