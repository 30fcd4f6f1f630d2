#pragma once
// FormDispFormat: the program-wide number and date-time format settings,
// read into eighteen rows of edit boxes and written back from the first six
// (those whose check box is checked). What is written applies to all later
// formatting in every window; it is not saved anywhere.
//
//   row  label              setting                       read  written when checked
//    1   CurrencyString     currency symbol               yes   the whole text
//    2   CurrencyFormat     currency symbol position      yes   integer 0..255 (0 when not a number)
//    3   NegCurrFormat      negative amount pattern       yes   as row 2
//    4   数値３桁区切り      thousands separator           yes   first character, not empty
//    5   小数点              decimal separator             yes   as row 4
//    6   小数桁数            currency decimals             yes   integer (0 when not a number), low 8 bits
//    7-14  date and time separators, patterns, AM/PM       yes   no
//   15-18  month and day names                             no    no

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

class TFormDispFormat : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kRows = 18;
  static constexpr int kWrittenRows = 6;

  explicit TFormDispFormat(QWidget* parent = nullptr);

  QToolButton* SpeedButtonRead;   // "読込"
  QToolButton* SpeedButtonWrite;  // "書込"
  QToolButton* SpeedButtonClose;  // "Exit"
  // Edit1 .. Edit18, CheckBox1 .. CheckBox18 (index 0 is row 1).
  std::array<QLabel*, kRows> Labels{};
  std::array<QLineEdit*, kRows> Edits{};
  std::array<QCheckBox*, kRows> CheckBoxes{};
  QPlainTextEdit* Memo1;

  QLineEdit* Edit(int row) const { return Edits.at(row - 1); }
  QCheckBox* CheckBox(int row) const { return CheckBoxes.at(row - 1); }

  void FormShow();
  void SpeedButtonReadClick();
  // Stores rows 1 to 6 in order; the first refused row ends the command
  // with its error shown (the rows before it are stored).
  void SpeedButtonWriteClick();
  void SpeedButtonCloseClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool writeRow(int row);
};

extern TFormDispFormat* FormDispFormat;
