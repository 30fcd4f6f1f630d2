#pragma once
// FormDtl: a viewer for one record of the table TJUS, chosen by its key
// TJUS_KEY (a number). Shown modeless by the main window's "Disp", which
// sets the alias of its query and the start key; "Open" reads the record.

#include <QDialog>
#include <array>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace korvel::db { class Query; }

class TFormTjusDebug : public QDialog {
  Q_OBJECT
 public:
  explicit TFormTjusDebug(QWidget* parent = nullptr);

  QLineEdit* EditKey;
  QToolButton* SpeedButton1;  // "Open"
  QToolButton* SpeedButton2;  // "＋"
  QPushButton* ButtonFClose;  // "Program Close"
  QLineEdit* EditEigBLK;
  QLineEdit* EditFID;
  QLineEdit* EditRecMake;
  std::array<QPlainTextEdit*, 5> Memos{};  // Memo1 .. Memo5 ("Field1" .. "Field5")
  korvel::db::Query* QueryTmp;

  void SpeedButton1Click();
  void SpeedButton2Click();
  void ButtonFCloseClick();
};

extern TFormTjusDebug* FormTjusDebug;
