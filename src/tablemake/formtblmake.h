#pragma once
// ＰＡＲＡＤＯＸテーブル作成: builds a table in an alias from a grid of field
// definitions and a list of keys, and records the table's and its columns'
// comments in the alias's comment table SysComment. The grid and the key
// list are normally filled from an SQL definition script and may be edited
// by hand before building. Shown modally by the main window.

#include <QDialog>
#include <QString>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenuBar;
class QPushButton;
class QStatusBar;
class TComboGrid;

namespace korvel::db {
struct FieldDef;
class Table;
}

class TFormTblMake : public QDialog {
  Q_OBJECT
 public:
  explicit TFormTblMake(QWidget* parent = nullptr);
  ~TFormTblMake() override;

  // The target: an alias name or a directory; its text is the database name.
  QComboBox* ComboBox_Alias = nullptr;
  QLineEdit* EditTableName = nullptr;
  QLineEdit* Edit_TableComment = nullptr;  // hidden; set by the script reader
  TComboGrid* ComboGrid1 = nullptr;        // the field grid
  TComboGrid* ComboGrid2 = nullptr;        // hidden: the fields of SysComment
  QListWidget* ListBox1 = nullptr;         // the key list: "name,field;field"
  QLabel* Label5 = nullptr;                // indicators while reading or indexing
  QLabel* Label6 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* LabelVersion = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QPushButton* ButtonTableIndex = nullptr;  // "Table + Index Make"
  QPushButton* ButtonTableMake = nullptr;   // "Table Make"
  QPushButton* ButtonIdxMake = nullptr;     // "Make Index"
  QPushButton* Button2 = nullptr;           // "Program Close"

  QMenuBar* MainMenu1 = nullptr;
  QAction* O1 = nullptr;     // テーブル作成情報を開く(&O)
  QAction* ENDE1 = nullptr;  // 終了(&X)
  QAction* N3 = nullptr;     // エリアス情報表示

  // Handlers.
  void FormCreate();
  void FormShow();
  void FormResize();
  void ComboBox_AliasKeyPress();  // Enter
  void O1Click();
  void N3Click();
  void ButtonTableMakeClick();
  void ButtonIdxMakeClick();
  void ButtonTableIndexClick();

  // Internal operations.
  void SelectAlias();
  bool TableExists(const QString& table);
  // Builds table `table` in `database` from the grid's rows (name, type word,
  // digits, decimals). False when nothing was built: a type word refused, an
  // engine error, or rows of an existing table the user chose to keep.
  bool BuildParadoxTable(TComboGrid* grid, const QString& database, const QString& table);
  // Writes one SysComment row for the table (row 0: "TableComment") and one
  // per grid row down to the first empty name, updating rows already there.
  bool WriteCommentRows(const QString& database, const QString& table, int commentCol, int nameCol,
                        TComboGrid* grid, const QString& tableComment);
  // Reads a definition script into the grid, the table name, the table
  // comment and the key list (which the caller has emptied).
  void LoadTableDefinition(const QString& fileName);

  // Data rows of the field grid (the grid holds this many columns).
  static constexpr int kFieldRows = 199;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void buildMenu();
  void connectHandlers();
  void setBuildButtonsVisible(bool visible);
  void showStatus(const QString& text);
  bool tableExistsIn(const QString& database, const QString& table);
  bool fieldDefinitions(TComboGrid* grid, std::vector<korvel::db::FieldDef>& defs);
  bool confirmReplacing(const QString& database, const QString& table);
  bool buildTable(TComboGrid* grid, const QString& database, const QString& table, const QString& primaryFields);
  bool tableStep();
  bool indexStep();
  bool keyFieldMissing(korvel::db::Table& table);

  bool engineFailed_ = false;  // the last build step ended in an engine error
};

// Caption and version label.
inline constexpr const char* kFormTblMakeCaption = "ＰＡＲＡＤＯＸテーブル作成";
inline constexpr const char* kFormTblMakeVersion = "Ver 0.7A";

extern TFormTblMake* FormTblMake;
