// Construction and layout of the main window.

#include "main/formmain.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/combogrid.h"
#include "controls/numedit.h"
#include "controls/spbtn2.h"
#include "db/query.h"
#include "db/table.h"
#include "ui/datasource.h"
#include "ui/dbgrid.h"
#include "ui/dbnavigator.h"

TFormMain* FormMain = nullptr;

namespace {

constexpr int kGap = 4;
constexpr int kRowHeight = 24;
constexpr int kPanel2Height = 160;

template <class W>
W* named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
  return named(new QPushButton(caption, parent), name);
}

QToolButton* speedButton(QWidget* parent, const char* name, const QString& caption) {
  auto* b = named(new QToolButton(parent), name);
  b->setText(caption);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  return b;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption,
                    bool checked) {
  auto* c = named(new QCheckBox(caption, parent), name);
  c->setChecked(checked);
  return c;
}

QComboBox* comboBox(QWidget* parent, const char* name, bool editable) {
  auto* c = named(new QComboBox(parent), name);
  c->setEditable(editable);
  c->setMaxVisibleItems(10);
  c->setInsertPolicy(QComboBox::NoInsert);
  return c;
}

// A run of controls that stays together on one line of the control area,
// each control at least as wide as its content needs.
using ControlGroup = std::vector<std::pair<QWidget*, int>>;

int groupWidth(const ControlGroup& group) {
  int width = 0;
  for (auto [w, design] : group) width += std::max(design, w->sizeHint().width()) + kGap;
  return width;
}

// Flows the groups left to right, wrapping to a new line when the next group
// does not fit the width; returns the y just below the last line.
int flowGroups(const std::vector<ControlGroup>& groups, int width) {
  int x = kGap, y = kGap;
  for (const ControlGroup& group : groups) {
    if (x > kGap && x + groupWidth(group) > width) {
      x = kGap;
      y += kRowHeight + kGap;
    }
    for (auto [w, design] : group) {
      const int needed = std::max(design, w->sizeHint().width());
      w->setGeometry(x, y, needed, kRowHeight);
      x += needed + kGap;
    }
  }
  return y + kRowHeight + kGap;
}

}  // namespace

TFormMain::TFormMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(QStringLiteral("汎用ファイルメンテ"));
  setFont(QFont(QStringLiteral("ＭＳ 明朝"), 10));
  buildDataObjects();
  buildControls();
  buildMenu();
  buildStatusBar();
  placeControls();
  clearNoticeBeforeCommands();
  connectHandlers();
  updateWriteButtons();
  resize(792, 529 + menuBar()->sizeHint().height());
  FormCreate();
}

TFormMain::~TFormMain() {
  qApp->removeEventFilter(this);
  // The data grid's model refers to the datasets: detach before they go.
  DataSource_Paradox->setDataSet(nullptr);
  DataSource_Ascii->setDataSet(nullptr);
}

void TFormMain::buildDataObjects() {
  Table_Paradox = named(new korvel::db::Table(this), "Table_Paradox");
  QueryTmp = named(new korvel::db::Query(this), "QueryTmp");
  QueryTmp->setRequestLive(true);
  Table_Ascii = named(new korvel::db::Table(this), "Table_Ascii");
  Table_Ascii->setTableType(korvel::db::TableType::Ascii);
  DataSource_Paradox = named(new korvel::ui::DataSource(this), "DataSource_Paradox");
  DataSource_Ascii = named(new korvel::ui::DataSource(this), "DataSource_Ascii");
  DataSource_Ascii->setDataSet(Table_Ascii);
}

void TFormMain::buildControls() {
  ClientArea = named(new QWidget(this), "ClientArea");
  setCentralWidget(ClientArea);
  QWidget* p = ClientArea;

  ComboBox_Alias = comboBox(p, "ComboBox_Alias", true);
  ComboBox_Alias->setToolTip(QStringLiteral("マウスで選択してね"));
  ButtonGetTblNM = button(p, "ButtonGetTblNM", QStringLiteral("Get Table Name"));
  ComboBox_Tables = comboBox(p, "ComboBox_Tables", true);
  ComboBox_Tables->setToolTip(QStringLiteral("手入OK"));
  ComboBox_Story = comboBox(p, "ComboBox_Story", false);
  CheckBox1 = checkBox(p, "CheckBox1", QStringLiteral("Show File &Extensions"), true);
  CheckBox2 = checkBox(p, "CheckBox2", QStringLiteral("Show &System Tables for Remote Aliases"), false);
  CheckBoxOthers = checkBox(p, "CheckBoxOthers", QStringLiteral("システムファイルは表示しない"), true);
  CheckBoxCopyOracle = checkBox(p, "CheckBoxCopyOracle", QStringLiteral("ファイルコメント(ORACLEのみ)"), true);
  ButtonAToClip = button(p, "ButtonAToClip", QStringLiteral("Alias To Clip"));
  ButtonTToClip = button(p, "ButtonTToClip", QStringLiteral("Table To Clip"));

  ButtonOpen = button(p, "ButtonOpen", QStringLiteral("表Open(&O)"));
  ButtonSEdit = button(p, "ButtonSEdit", QStringLiteral("SQL編集(&S)"));
  ButtonClose = button(p, "ButtonClose", QStringLiteral("表Close(&C)"));
  CheckBoxQuery = checkBox(p, "CheckBoxQuery", QStringLiteral("Query利用"), false);
  CheckBoxIAuto = checkBox(p, "CheckBoxIAuto", QStringLiteral("情報自動取出"), true);
  CheckBox_Ascii = checkBox(p, "CheckBox_Ascii", QStringLiteral("Ascii Display"), false);
  Button6 = button(p, "Button6", QStringLiteral("ASCII(CSV)->DB"));
  Button7 = button(p, "Button7", QStringLiteral("DB->ASCII(CSV)"));
  Button8 = button(p, "Button8", QStringLiteral("書込"));
  Button9 = button(p, "Button9", QStringLiteral("削除(&D)"));
  Button5 = button(p, "Button5", QStringLiteral("Make Index"));
  Button5->setEnabled(false);
  ButtonMemo1 = button(p, "ButtonMemo1", QStringLiteral("ButtonMemo(&1)"));
  ButtonMemo2 = button(p, "ButtonMemo2", QStringLiteral("ButtonMemo(&2)"));
  ButtonMemo3 = button(p, "ButtonMemo3", QStringLiteral("ButtonMemo(&3)"));
  ButtonMemo4 = button(p, "ButtonMemo4", QStringLiteral("ButtonMemo(&4)"));
  Label_Status = named(new QLabel(QStringLiteral("Status"), p), "Label_Status");
  Label_OnDataChange = named(new QLabel(p), "Label_OnDataChange");

  SpeedButtonKensu = speedButton(p, "SpeedButtonKensu", QStringLiteral("件数確認"));
  LabelKensu = named(new QLabel(p), "LabelKensu");
  SpeedButtonGetSimpleInf = speedButton(p, "SpeedButtonGetSimpleInf", QStringLiteral("簡易表情報"));
  SpeedButton1 = speedButton(p, "SpeedButton1", QStringLiteral("表示形式変更"));
  SpBtnDecimals = named(new TSpBtn2(p), "SpBtnDecimals");
  SpBtnDecimals->SetOffStr(QStringLiteral("小数桁表示0桁"));
  SpBtnDecimals->SetOnStr(QStringLiteral("小数桁表示2桁"));
  SpBtnDecimals2 = named(new TSpBtn2(p), "SpBtnDecimals2");
  SpBtnDecimals2->SetOffStr(QStringLiteral("小数桁表示4桁"));
  SpBtnDecimals2->SetOnStr(QStringLiteral("小数桁表示6桁"));
  SpBtnDecimals->SetCaption(SpBtnDecimals->OffStr());
  SpBtnDecimals2->SetCaption(SpBtnDecimals2->OffStr());
  SpeedButtonDBCopy = speedButton(p, "SpeedButtonDBCopy", QStringLiteral("DataCopy"));
  SpeedButtonDBCopy->setToolTip(QStringLiteral("選択行データを画面下部へコピー"));
  SpeedButtonDMake = speedButton(p, "SpeedButtonDMake", QStringLiteral("Data作成"));
  SpeedButtonDMake->setToolTip(QStringLiteral(
      "テストデータを作成します。あらかじめ作成内容を設定してください。(データ追加はチェックマークを)"));
  CheckBoxDApp = checkBox(p, "CheckBoxDApp", QStringLiteral("データ追加"), false);
  Label3 = named(new QLabel(QStringLiteral("開始"), p), "Label3");
  NumEditFirst = named(new TNumEdit(p), "NumEditFirst");
  NumEditFirst->SetMinus(false);
  NumEditFirst->SetDecimalLength(0);  // a record number: whole numbers only
  Label4 = named(new QLabel(QStringLiteral("作成件数"), p), "Label4");
  NumEditEnd = named(new TNumEdit(p), "NumEditEnd");
  NumEditEnd->SetMinus(false);
  NumEditEnd->SetDecimalLength(0);

  BitBtnCopy = button(p, "BitBtnCopy", QStringLiteral("Clip Copy(&P)"));
  BitBtnExcelCopy = button(p, "BitBtnExcelCopy", QStringLiteral("Excel Copy(&P)"));
  SpeedButtonAbort = named(new TSpBtn2(p), "SpeedButtonAbort");
  SpeedButtonAbort->SetOffStr(QStringLiteral("抽出中止"));
  SpeedButtonAbort->SetOnStr(QStringLiteral("抽出中止"));
  SpeedButtonAbort->SetCaption(QStringLiteral("抽出中止"));
  SpeedButtonAbort->hide();
  BitBtn1 = button(p, "BitBtn1", QStringLiteral("FromClip(&F)"));
  // The decimals buttons and the abort button form one group: at most one down.
  for (TSpBtn2* b : {SpBtnDecimals, SpBtnDecimals2, SpeedButtonAbort}) {
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);
  }

  SpeedButtonExec = button(p, "SpeedButtonExec", QStringLiteral("SQL実行(&E)"));
  SpeedButton3 = button(p, "SpeedButton3", QStringLiteral("削除SQL作成"));
  SpeedButton4 = button(p, "SpeedButton4", QStringLiteral("列名変更(&R)"));
  Button10 = button(p, "Button10", QStringLiteral("表情報(&I)"));
  ButtonMake = button(p, "ButtonMake", QStringLiteral("Make Paradox Table"));
  ButtonDBCopy = button(p, "ButtonDBCopy", QStringLiteral("DB Copy"));
  ButtonDBCopy->setToolTip(QStringLiteral("DBコピー(ファイル間コピー)画面を表示します。"));
  SpeedButton2 = button(p, "SpeedButton2", QStringLiteral("Disp"));
  ButtonFClose = button(p, "ButtonFClose", QStringLiteral("Program Close"));

  // Panel1: the data grid above a splitter and the format grid below.
  Panel1 = named(new QWidget(p), "Panel1");
  auto* panel1Layout = new QVBoxLayout(Panel1);
  panel1Layout->setContentsMargins(0, 0, 0, 0);
  Splitter1 = named(new QSplitter(Qt::Vertical, Panel1), "Splitter1");
  panel1Layout->addWidget(Splitter1);
  Panel3 = named(new QWidget(Splitter1), "Panel3");
  auto* panel3Layout = new QVBoxLayout(Panel3);
  panel3Layout->setContentsMargins(0, 0, 0, 0);
  DBNavigator1 = named(new korvel::ui::DBNavigator(p), "DBNavigator1");
  DBGrid1 = named(new korvel::ui::DBGrid(Panel3), "DBGrid1");
  panel3Layout->addWidget(DBGrid1);
  Panel2 = named(new QWidget(Splitter1), "Panel2");
  auto* panel2Layout = new QVBoxLayout(Panel2);
  panel2Layout->setContentsMargins(0, 0, 0, 0);
  ComboGrid1 = named(new TComboGrid(Panel2), "ComboGrid1");
  ComboGrid1->setToolTip(QStringLiteral("利用できる書式の形式文字は浮動小数点型です"));
  panel2Layout->addWidget(ComboGrid1);
  Splitter1->addWidget(Panel3);
  Splitter1->addWidget(Panel2);
  Splitter1->setStretchFactor(0, 1);
  Splitter1->setStretchFactor(1, 0);
  Splitter1->setSizes({300, kPanel2Height});

  DBGrid1->setDataSource(DataSource_Paradox);
  DBNavigator1->setDataSource(DataSource_Paradox);
}

void TFormMain::buildMenu() {
  MenuFile = menuBar()->addMenu(QStringLiteral("File(&F)"));
  MenuFile->addSeparator();
  ENDE1 = MenuFile->addAction(QStringLiteral("終了(&X)"));
  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  InfoDisplay = edit->addAction(QStringLiteral("テーブル構造表示"));
  QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  N3 = view->addAction(QStringLiteral("エリアス情報表示"));
  QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ"));
  Contents1 = help->addAction(QStringLiteral("目次"));
  help->addSeparator();
  About1 = help->addAction(QStringLiteral("バージョン情報"));
}

void TFormMain::buildStatusBar() {
  StatusBar1 = named(new QStatusBar(this), "StatusBar1");
  setStatusBar(StatusBar1);
  StatusPanel0 = new QLabel(StatusBar1);
  StatusPanel1 = new QLabel(StatusBar1);
  StatusPanel0->setFixedWidth(300);
  StatusPanel1->setFixedWidth(300);
  StatusBar1->addWidget(StatusPanel0);
  StatusBar1->addWidget(StatusPanel1);
}

void TFormMain::placeControls() {
  const std::vector<ControlGroup> groups = {
      {{ComboBox_Alias, 140}, {ButtonGetTblNM, 100}, {ComboBox_Tables, 200}},
      {{ButtonOpen, 80}, {ButtonSEdit, 80}, {ButtonClose, 80}, {ButtonFClose, 100}},
      {{CheckBox1, 150}, {CheckBox2, 260}, {CheckBoxOthers, 190}},
      {{CheckBoxCopyOracle, 190}, {ButtonAToClip, 90}, {ButtonTToClip, 90}},
      {{CheckBoxQuery, 80}, {CheckBoxIAuto, 100}, {CheckBox_Ascii, 100}},
      {{Button6, 110}, {Button7, 110}, {Button8, 50}, {Button9, 70}, {Button5, 80}},
      {{ButtonMemo1, 110}, {ButtonMemo2, 110}, {ButtonMemo3, 110}, {ButtonMemo4, 110}},
      {{ComboBox_Story, 150}, {Label_Status, 60}, {Label_OnDataChange, 140}},
      {{DBNavigator1, 260}, {SpeedButtonKensu, 70}, {LabelKensu, 60}},
      {{SpeedButtonGetSimpleInf, 80}, {SpeedButton1, 90}, {SpBtnDecimals, 110},
       {SpBtnDecimals2, 110}, {SpeedButtonDBCopy, 70}},
      {{SpeedButtonDMake, 70}, {CheckBoxDApp, 90}, {Label3, 30}, {NumEditFirst, 70},
       {Label4, 60}, {NumEditEnd, 70}},
      {{BitBtnCopy, 100}, {BitBtnExcelCopy, 100}, {BitBtn1, 100}},
      {{SpeedButtonExec, 90}, {SpeedButton3, 90}, {SpeedButton4, 90}, {Button10, 80},
       {ButtonMake, 130}, {ButtonDBCopy, 70}, {SpeedButton2, 50}},
  };
  const int width = std::max(ClientArea->width(), 792);
  const int top = flowGroups(groups, width);
  // The abort button shares the place of "Excel Copy" (shown only while a
  // grid copy runs).
  SpeedButtonAbort->setGeometry(BitBtnExcelCopy->geometry());
  Panel1->move(kGap, top);
}

// A notice in the status bar ("このデータを編集することはできません", "この機能は
// まだ組み込まれていません") belongs to the command that showed it: the next
// command clears it before it runs, so a later successful one leaves no
// stale notice. Connected before the commands' own handlers, so it runs first
// and a command may show a notice of its own.
void TFormMain::clearNoticeBeforeCommands() {
  const auto clear = [this] { StatusPanel1->clear(); };
  for (QAbstractButton* b : findChildren<QAbstractButton*>())
    if (qobject_cast<QPushButton*>(b) || qobject_cast<QToolButton*>(b))
      connect(b, &QAbstractButton::clicked, this, clear);
  for (QAction* a : findChildren<QAction*>()) connect(a, &QAction::triggered, this, clear);
}
