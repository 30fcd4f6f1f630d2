#pragma once
// The SQL editor "SQL文編集": one statement composed with keyword buttons,
// five memory slots, statement files, find and replace, SELECT/INSERT texts
// for the clipboard, and the analysis and reformatting of SQL written as
// program-source string literals. Shown modally by the main window.

#include <QDialog>
#include <QString>
#include <array>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QInputMethodEvent;
class QKeyEvent;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

class TFindDialog;

class TFormMemo : public QDialog {
  Q_OBJECT
 public:
  explicit TFormMemo(QWidget* parent = nullptr);
  ~TFormMemo() override;

  // The statement, the alias written into statement files, the column names.
  QPlainTextEdit* Memo1 = nullptr;
  QLineEdit* EditAlias = nullptr;
  QComboBox* ComboBoxItem = nullptr;

  QCheckBox* CheckBoxOver = nullptr;     // "上書": overwrite typing
  QCheckBox* CheckBoxParadox = nullptr;  // date buttons write the Paradox form
  QCheckBox* CheckBoxAlias = nullptr;    // "エリアスも書込": alias line in statement files
  QCheckBox* CheckBoxEdOp = nullptr;     // "カンマ改行": reformat breaks after every comma

  // Insertion buttons.
  QToolButton* SpeedButton9 = nullptr;   // SELECT
  QToolButton* SpeedButton18 = nullptr;  // *
  QToolButton* SpeedButton12 = nullptr;  // UPDATE
  QToolButton* SpeedButton13 = nullptr;  // INSERT
  QToolButton* SpeedButton16 = nullptr;  // VALUES
  QToolButton* SpeedButton10 = nullptr;  // FROM
  QToolButton* SpeedButton20 = nullptr;  // 表名
  QToolButton* SpeedButton11 = nullptr;  // WHERE
  QToolButton* SpeedButton14 = nullptr;  // BETWEEN
  QToolButton* SpeedButton17 = nullptr;  // AND
  QToolButton* SpeedButton21 = nullptr;  // OR
  QToolButton* SpeedButton22 = nullptr;  // NOT
  QToolButton* SpeedButton15 = nullptr;  // TO_DATE
  QToolButton* SpeedButton1 = nullptr;   // TO_DTIME

  // Commands.
  QPushButton* BitBtn1 = nullptr;        // OK
  QToolButton* SpeedButton2 = nullptr;   // CANCEL
  QToolButton* SpeedButton19 = nullptr;  // CLEAR
  QToolButton* SpeedButton3 = nullptr;   // 記憶
  std::array<QToolButton*, 5> SlotButtons{};  // SpeedButton4 .. SpeedButton8
  QPushButton* BitBtn_Copy = nullptr;
  QPushButton* BitBtnPast = nullptr;
  QPushButton* BitBtnMkSel = nullptr;
  QPushButton* BitBtnMkIns = nullptr;
  QToolButton* SpeedButton23 = nullptr;  // 解析
  QToolButton* SpeedButton25 = nullptr;  // 整形

  QMenuBar* MainMenu1 = nullptr;
  QAction* Read1 = nullptr;
  QAction* Write1 = nullptr;
  QAction* Exit1 = nullptr;
  QAction* Undo1 = nullptr;
  QAction* Find1 = nullptr;
  QAction* Replace1 = nullptr;
  QAction* Copy1 = nullptr;
  QAction* Paste1 = nullptr;
  QAction* ReadTop = nullptr;
  QAction* WriteTop = nullptr;

  TFindDialog* FindDialog1 = nullptr;
  TFindDialog* ReplaceDialog1 = nullptr;

  // File name the save dialog last confirmed; Ctrl+S writes to it directly.
  QString SaveFileName;

  // Handlers.
  void InsertText(const QString& text);
  void SpeedButton15Click();  // TO_DATE
  void SpeedButton1Click();   // TO_DTIME
  void BitBtn1Click();
  void SpeedButton3Click();   // store in slot 1, older slots move down
  void RecallSlot(int slot);  // slot 1 .. 5 into the memo
  void BitBtn_CopyClick();
  void BitBtnPastClick();
  void BitBtnMkSelClick();
  void BitBtnMkInsClick();
  void ComboBoxItemDblClick();
  void Read1Click();
  void Write1Click();
  void QuickSave();           // Ctrl+S
  void ShowFindDialog();
  void ShowReplaceDialog();
  void FindDialog1Find();
  void ReplaceDialog1Replace();
  void SpeedButton23Click();  // analysis of literal source
  void SpeedButton25Click();  // reformatting

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void buildMenu();
  void connectHandlers();
  bool memoKeyPress(QKeyEvent* key);
  bool memoInputMethod(QInputMethodEvent* input);
  void overwriteAtCaret(int count);
  bool writeLines(const QString& path, const QStringList& lines);
  bool memoBytes(std::vector<std::string>& lines);
  static QString paradoxLiteral(const char* type, const QString& value);

  std::array<QString, 5> slots_;
};

// Caption shown in the window title.
inline constexpr const char* kFormMemoCaption = "SQL文編集";
inline constexpr const char* kFormMemoVersion = "V0.984A";

extern TFormMemo* FormMemo;
