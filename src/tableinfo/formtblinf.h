#pragma once
// テーブル情報表示 V0.72A: one table's fields (type, size, alignment, index
// membership, display width, comment, digits, decimals), its indexes, type
// and comment, and what can be made of them: comments written to the
// database, a field listing and a SELECT statement on the clipboard, a
// CREATE TABLE script, and the generator window's column grid. Comments can
// also be taken from a definition script or a conversion parameter file.
//
// The main window fills it (LoadTableInfo, tableinfoload.h) and shows it
// modally; afterwards it takes the names and comments back.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

#include "db/tablename.h"
#include "tablemake/scriptreader.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenuBar;
class QPushButton;
class QSplitter;
class QStatusBar;
class TComboGrid;

namespace korvel::db { class Query; }
namespace korvel::ui { class DataSource; class DBGrid; class DBNavigator; }

// The caption the window takes when it reads or writes a file: this text
// followed directly by the file name.
inline constexpr const char* kTblInfFileCaption = "テーブル情報表示 Ver 0.72A";

class TFormTblInf : public QDialog, public korvel::CommentDefinitionTarget {
  Q_OBJECT
 public:
  explicit TFormTblInf(QWidget* parent = nullptr);
  ~TFormTblInf() override;

  // What the window needs of the main window: its table names in list
  // order, and showing entry `index` of its table list here (the main
  // window selects it and loads its information into this window).
  struct MainWindowLinks {
    std::function<QStringList()> tableNames;
    std::function<void(int)> showTable;
  };
  void SetMainWindowLinks(MainWindowLinks links) { links_ = std::move(links); }

  // The table the grid was loaded from, by its parts, and the text it was
  // listed as. Comments go to that table while the table-name edit still
  // shows that text; a name typed over it is taken as one table name.
  void SetLoadedTable(const korvel::db::TableName& table, const QString& listedText);
  korvel::db::TableName TableForComments() const;
  QStringList IndexLines() const;

  // --- controls ------------------------------------------------------------
  QSplitter* Splitter1 = nullptr;
  QWidget* Panel1 = nullptr;  // upper panel: table name, comment, type, commands, field grid
  QWidget* PanelTop = nullptr;  // the rows above the field grid
  QWidget* Panel2 = nullptr;  // lower panel: index list, data grid
  QLineEdit* Edit_TableName = nullptr;
  QLineEdit* Edit_TableComment = nullptr;
  QLabel* Label_TableType = nullptr;
  TComboGrid* ComboGrid1 = nullptr;
  QLabel* Label_Index = nullptr;  // インデックス情報
  QListWidget* ListBox1 = nullptr;
  QCheckBox* CheckBoxShiyou = nullptr;  // 仕様書用
  korvel::db::Query* Query1 = nullptr;
  korvel::ui::DataSource* DataSource1 = nullptr;
  korvel::ui::DBGrid* DBGrid1 = nullptr;
  korvel::ui::DBNavigator* DBNavigator1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QLabel* StatusPanel = nullptr;  // the status bar's one simple panel

  QPushButton* BitBtn1 = nullptr;          // 終了
  QPushButton* BitBtn_Comment = nullptr;   // コメント設定
  QPushButton* BitBtn_Copy = nullptr;      // Clip Copy
  QPushButton* BitBtn_MkSQL = nullptr;     // SQL文作成
  QPushButton* BitBtn2 = nullptr;          // Object作成
  QPushButton* BitBtn3 = nullptr;          // 項目名←→コメント
  QPushButton* BitBtn4 = nullptr;          // SELECT文作成
  QMenuBar* MainMenu1 = nullptr;
  QAction* Open2 = nullptr;  // テーブル作成情報を開く
  QAction* N3 = nullptr;     // テーブル変換パラメータ
  QAction* Exit1 = nullptr;  // 終了
  QAction* C1 = nullptr;     // コピー
  QAction* N2 = nullptr;     // コメント書込

  // --- handlers --------------------------------------------------------------
  void FormCreate();
  void Panel1Resize();
  void BitBtn_CommentClick();
  void BitBtn_CopyClick();
  void BitBtn_MkSQLClick();
  void BitBtn2Click();
  void BitBtn3Click();
  void BitBtn4Click();
  void Open2Click();
  void N3Click();
  void C1Click();
  // Reads a conversion parameter file: its title line gives the table
  // comment, its field lines give the comments of the fields they name.
  void LoadConversionParams(const QString& fileName);

  // --- the script comment reader's view of this window ----------------------
  void setStatusText(const QString& text) override;
  void clearIndexList() override;
  void addIndexLine(const QString& line) override;
  QString tableComment() const override;
  void setTableComment(const QString& comment) override;
  void setTableName(const QString& name) override;
  QString tableType() const override;
  QStringList tableNames() const override;
  void showTable(int index) override;
  int fieldRowCount() const override;
  QString fieldName(int row) const override;
  void setFieldComment(int row, const QString& comment) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  QWidget* buildUpperPanel();
  QWidget* buildLowerPanel();
  void buildMenu();
  void connectHandlers();
  void setFileCaption(const QString& fileName);

  MainWindowLinks links_;
  korvel::db::TableName loadedTable_;
  QString loadedText_;
};

extern TFormTblInf* FormTblInf;
