#pragma once
// FormDtl
// Not built yet: a plain window with its caption, so that the program creates
// every window in its order. Its own issue brings the controls.

#include <QDialog>

class TFormTjusDebug : public QDialog {
  Q_OBJECT
 public:
  explicit TFormTjusDebug(QWidget* parent = nullptr);
};

extern TFormTjusDebug* FormTjusDebug;
