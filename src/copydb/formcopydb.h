#pragma once
// テーブルデータコピー: copies every row of a table of one alias into an
// existing table of the same or another alias, one INSERT statement per
// row. Columns are matched by name; rows the destination refuses are listed
// in the window and appended to the error log CpErrSql.txt.
//
// The rows are written in transactions, in batches (statementwriter.h):
// which rows are written, refused, logged and shown, and the counts, are
// those of running one statement per row. The window takes its messages
// every few tens of milliseconds while a copy runs, so "中断" answers at
// once; after a stop the destination holds exactly the rows counted.

#include <QDialog>
#include <QString>

#include "copydb/copyerrorlog.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class TSpBtn2;

namespace korvel::db {
class Query;
class Table;
}  // namespace korvel::db

namespace korvel::copydb {
struct CopyPlan;
class CopyRun;
}  // namespace korvel::copydb

class TFormCopyDB : public QDialog {
  Q_OBJECT
 public:
  explicit TFormCopyDB(QWidget* parent = nullptr);
  ~TFormCopyDB() override;

  QMenuBar* MainMenu1;
  QAction* OpenTableMakeInfo;  // テーブル作成情報を開く(&O) (no action)
  QAction* ShowStructure;      // テーブル構造表示 (no action)
  QAction* ShowAliasInfo;      // エリアス情報表示 (no action)
  QAction* ExtractStructure;   // テーブル構造抽出 (no action)
  QAction* Exit1;              // 終了(&X)

  QComboBox* ComboBox_Alias;    // source alias
  QComboBox* ComboBox_Tables;   // source table
  QComboBox* ComboBox_Alias2;   // destination alias
  QComboBox* ComboBox_Tables2;  // destination table
  QCheckBox* CheckBox1;         // Show File &Extensions
  QCheckBox* CheckBox2;         // Show &System Tables for Remote Aliases
  QCheckBox* CheckBoxApperr;    // Append ERR無視
  QPushButton* ButtonCopy;      // Copy Start
  TSpBtn2* SpeedButtonAbort;    // 中断
  QLabel* LabelSt;
  QLabel* LabelEnd;
  QLabel* LabelKensu;
  QLineEdit* Edit2;             // the last INSERT statement
  QPushButton* Button1;         // Try Again
  QPlainTextEdit* Memo1;        // every refused statement
  QPushButton* Button2;         // Program Close

  korvel::db::Table* TableS;       // source fields
  korvel::db::Query* QueryTmp1;    // source count
  korvel::db::Query* QueryTmp2B;   // destination fields and database kind
  korvel::db::Query* QueryTmp2;    // "Try Again"

  void FormCreate();
  void FormShow();
  void ComboBox_AliasChange(QComboBox* sender);
  void ComboBox_AliasKeyPress(QComboBox* sender);
  void SelectTypedAlias(QComboBox* box);
  // side "S": the source; anything else: the destination.
  void ListAliasTables(const QString& side);
  void ButtonCopyClick();
  void Button1Click();
  void FormKeyUp(int key);

  QString errorLogPath() const { return errorLog_.path(); }
  bool copying() const { return copying_; }

 signals:
  // Each progress text LabelKensu shows while a copy runs ("300/2500件書き込み").
  void progressShown(const QString& text);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class korvel::copydb::CopyRun;

  void buildControls();
  void buildMenu();
  void connectHandlers();
  void closeDataSets();
  void setInputsEnabled(bool enabled);
  void closeAfterCopy();

  // The copy's steps before the rows: the log, the source fields and
  // count, the destination fields and kind. False when the copy ends there.
  bool errorLogAgreed();
  bool readSourceFields(QStringList& names);
  bool readSourceCount(const QString& sourceText, QString& totalText);
  bool readDestination(const QString& destinationText, const QStringList& sourceNames,
                       korvel::copydb::CopyPlan& plan);

  korvel::copydb::CopyErrorLog errorLog_;
  bool errorLogInUse_ = true;  // false: the operator agreed to copy without a log
  bool copying_ = false;
  bool closeRequested_ = false;
};

extern TFormCopyDB* FormCopyDB;
