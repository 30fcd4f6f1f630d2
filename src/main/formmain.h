#pragma once
// The main window "汎用ファイルメンテ": alias and table choice, the data grid
// with its navigator, the column format grid and the commands that open the
// other windows.

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;
class QToolButton;
class QWidget;
class TComboGrid;
class TNumEdit;
class TSpBtn2;

namespace korvel::db { class Dataset; class Query; class Table; struct ScriptStatement; }
namespace korvel::ui { class DataSource; class DBGrid; class DBNavigator; }

class TFormMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  // Non-visual members.
  korvel::db::Table* Table_Paradox;
  korvel::db::Query* QueryTmp;
  korvel::db::Table* Table_Ascii;
  korvel::ui::DataSource* DataSource_Paradox;
  korvel::ui::DataSource* DataSource_Ascii;

  // Alias and table selection.
  QComboBox* ComboBox_Alias;
  QComboBox* ComboBox_Tables;
  QComboBox* ComboBox_Story;
  QPushButton* ButtonGetTblNM;
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;
  QCheckBox* CheckBoxOthers;
  QCheckBox* CheckBoxCopyOracle;
  QPushButton* ButtonAToClip;
  QPushButton* ButtonTToClip;

  // Opening and browsing.
  QPushButton* ButtonOpen;
  QPushButton* ButtonSEdit;
  QPushButton* ButtonClose;
  QCheckBox* CheckBoxQuery;
  QCheckBox* CheckBoxIAuto;
  QCheckBox* CheckBox_Ascii;
  QPushButton* Button6;
  QPushButton* Button7;
  QPushButton* Button8;
  QPushButton* Button9;
  QPushButton* Button5;
  QPushButton* ButtonMemo1;
  QPushButton* ButtonMemo2;
  QPushButton* ButtonMemo3;
  QPushButton* ButtonMemo4;
  korvel::ui::DBNavigator* DBNavigator1;
  korvel::ui::DBGrid* DBGrid1;
  QLabel* Label_Status;
  QLabel* Label_OnDataChange;
  QStatusBar* StatusBar1;
  QLabel* StatusPanel0;
  QLabel* StatusPanel1;

  // Format grid, test data, record count.
  QToolButton* SpeedButtonKensu;
  QLabel* LabelKensu;
  QToolButton* SpeedButtonGetSimpleInf;
  TComboGrid* ComboGrid1;
  QToolButton* SpeedButton1;
  TSpBtn2* SpBtnDecimals;
  TSpBtn2* SpBtnDecimals2;
  QToolButton* SpeedButtonDBCopy;
  QToolButton* SpeedButtonDMake;
  QCheckBox* CheckBoxDApp;
  TNumEdit* NumEditFirst;
  TNumEdit* NumEditEnd;
  QLabel* Label3;
  QLabel* Label4;

  // Clipboard.
  QPushButton* BitBtnCopy;
  QPushButton* BitBtnExcelCopy;
  TSpBtn2* SpeedButtonAbort;
  QPushButton* BitBtn1;

  // SQL tools and other windows.
  QPushButton* SpeedButtonExec;
  QPushButton* SpeedButton3;
  QPushButton* SpeedButton4;
  QPushButton* Button10;
  QPushButton* ButtonMake;
  QPushButton* ButtonDBCopy;
  QPushButton* SpeedButton2;
  QPushButton* ButtonFClose;

  // Layout panels.
  QWidget* ClientArea;
  QWidget* Panel1;
  QWidget* Panel2;
  QWidget* Panel3;
  QLabel* Panel3Caption;  // progress of a grid copy, while the grid is hidden
  QSplitter* Splitter1;

  // Menu.
  QMenu* MenuFile;
  QAction* ENDE1;
  QAction* InfoDisplay;
  QAction* N3;
  QAction* Contents1;
  QAction* About1;

  // Handlers.
  void FormCreate();
  void FormShow();
  void FormResize();
  void FormClose();
  void ButtonGetTblNMClick();
  void ComboBox_TablesChange();
  void ComboBox_TablesExit();
  void ComboBox_TablesKeyPress();
  void ComboBox_AliasKeyPress();
  void ButtonFCloseClick();
  void ENDE1Click();
  void CloseDataSets();

  // Opening and browsing.
  void ButtonOpenClick(QObject* Sender);
  void ButtonCloseClick();
  void CheckBoxQueryClick(QCheckBox* Sender = nullptr);
  void Button8Click();
  void Button9Click();
  void ButtonMemo1Click(QPushButton* Sender);
  void DataSource_ParadoxStateChange();
  void DataSource_ParadoxDataChange();
  void Table_ParadoxPostError();

  // Format grid.
  void SpeedButtonGetSimpleInfClick();
  void ComboGrid1DblClick();
  void ComboGrid1KeyDown(int& Key);
  void SpeedButtonDBCopyClick();
  void SpBtnDecimalsClick(TSpBtn2* Sender);
  void SpeedButton1Click();

  // CSV text tables: shown in the grid, copied in and out.
  void CheckBox_AsciiClick();
  void Button6Click();
  void Button7Click();

  // Test data and record count.
  void SpeedButtonDMakeClick();
  void SpeedButtonKensuClick();
  void ButtonMakeClick();  // the table creation window

  // The table information window.
  void InfoDisplayClick();
  // Fills the table information window from the current alias and table;
  // false (the error shown) when the table cannot be opened.
  bool LoadTableInfo();
  // Gives the table information window its way back to this window's table
  // list; called once both windows exist.
  void LinkTableInfoWindow();

  // Clipboard transfer.
  void ButtonAToClipClick();
  void ButtonTToClipClick();
  void BitBtnCopyClick(QObject* Sender);  // BitBtnCopy and BitBtnExcelCopy
  void BitBtn1Click();
  void PasteFromClipboard(korvel::db::Dataset* table, korvel::ui::DBGrid* grid, bool skipMode);

  // SQL tools and the other windows.
  void SpeedButtonExecClick();
  void SpeedButton3Click();
  void SpeedButton4Click();
  void N3Click();
  void Contents1Click();
  void About1Click();
  void ButtonDBCopyClick();
  void SpeedButton2Click();
  void Button5Click();

  // The dataset shown: QueryTmp when it is the data source's dataset, else
  // Table_Paradox.
  korvel::db::Dataset* currentDataSet() const;

  // Before the dataset is closed: an edit or insert not yet posted is posted
  // or discarded as the user answers. False when the user chooses to stay
  // (or the post fails): the dataset stays open with its edit, and the
  // caller stops.
  bool resolvePendingEdit();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildDataObjects();
  void buildControls();
  void buildMenu();
  void buildStatusBar();
  void placeControls();
  void connectHandlers();
  bool isOwnKeyEvent(QObject* watched) const;

  void connectBrowseHandlers();
  void connectAsciiHandlers();
  // Copies source into destination with progress in the status bar and the
  // abort button; reports the outcome. True when the rows were copied.
  bool runBatchMove(korvel::db::Table& source, korvel::db::Table& destination);
  void updateWriteButtons();
  void clearNoticeBeforeCommands();
  void connectFormatGridHandlers();
  void widenToNamesAndTypes();
  bool openQuery(QObject* Sender);
  bool openTable();
  void capDisplayWidths();
  void updateMruButtons(const QString& table);
  QStringList memoButtonCaptions() const;

  void restoreAliasChoice();

  // "件数確認" following a count that runs beside the window (formmain_count.cpp).
  void followCount(korvel::db::Dataset* ds);
  void showCountProgress(int rows, bool final);
  void stopFollowingCount();
  QPointer<korvel::db::Dataset> countFollowed_;
  QMetaObject::Connection countConnection_;

  void connectClipboardHandlers();
  void connectSqlToolHandlers();
  // Field indexes of the data grid's columns, in the order it shows them.
  std::vector<int> gridFieldOrder() const;
  void execStatement(const QString& statement);
  void execStatements(const std::vector<korvel::db::ScriptStatement>& statements);
  void writeDropScript(const QString& path, const QStringList& lines);
  class GridCopyScreen;
  bool gridCopyRunning_ = false;

  bool shown_ = false;
  QString csvFolder_;  // where the last CSV file was chosen
  // The table box's text while a dataset is open: what the box goes back to
  // when the user keeps an unposted edit rather than change tables.
  QString openTablesText_;
  // A query that could not be opened updatable was reopened read-only.
  bool readOnlyFallback_ = false;
};

extern TFormMain* FormMain;
