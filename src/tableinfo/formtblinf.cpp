#include "tableinfo/formtblinf.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include "controls/combogrid.h"
#include "controls/griddefinition.h"
#include "db/query.h"
#include "prompt/prompt.h"
#include "tableinfo/fieldrows.h"
#include "ui/datasource.h"
#include "ui/dbgrid.h"
#include "ui/dbnavigator.h"
#include "ui/windowhelpers.h"

TFormTblInf* FormTblInf = nullptr;

namespace {

// Heights of the fixed parts of the panels: the upper panel's rows above the
// field grid, the lower panel's strip below the index list.
constexpr int kMargin = 8;
constexpr int kRowHeight = 24;
constexpr int kGridTop = 2 * kRowHeight + 3 * 4;
constexpr int kBelowIndexList = 78;

QPushButton* commandButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TFormTblInf::TFormTblInf(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormTblInf"));
  setWindowTitle(QStringLiteral("テーブル情報表示 V0.72A"));
  buildControls();
  buildMenu();
  connectHandlers();
  QString error;
  if (!korvel::LoadGridDefinitions(this, QStringLiteral(":/grids/formtblinf.grid"), &error))
    korvel::showError(error);
  resize(900, 620);
  FormCreate();
}

TFormTblInf::~TFormTblInf() {
  // The data grid's model refers to the query: detach before it goes.
  DataSource1->setDataSet(nullptr);
}

void TFormTblInf::buildControls() {
  Query1 = new korvel::db::Query(this);
  Query1->setObjectName(QStringLiteral("Query1"));
  DataSource1 = new korvel::ui::DataSource(this);
  DataSource1->setDataSet(Query1);

  Splitter1 = new QSplitter(Qt::Vertical, this);
  Splitter1->addWidget(buildUpperPanel());
  Splitter1->addWidget(buildLowerPanel());
  Splitter1->setStretchFactor(0, 3);
  Splitter1->setStretchFactor(1, 1);
  Splitter1->setChildrenCollapsible(false);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setSizeGripEnabled(false);
  StatusPanel = new QLabel(QStringLiteral("確認したら「終了」ボタンを押して下さい。"), StatusBar1);
  StatusBar1->addWidget(StatusPanel, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Splitter1, 1);
  layout->addWidget(StatusBar1);
}

// The controls of the upper panel stand at fixed places; Panel1Resize
// sizes the field grid to the panel.
QWidget* TFormTblInf::buildUpperPanel() {
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setMinimumHeight(kGridTop + 80);

  auto* first = new QHBoxLayout;
  first->addWidget(new QLabel(QStringLiteral("表　名　　　　　 : "), Panel1));
  Edit_TableName = new QLineEdit(Panel1);
  Edit_TableName->setMinimumWidth(180);
  first->addWidget(Edit_TableName);
  Edit_TableComment = new QLineEdit(Panel1);
  Edit_TableComment->setMinimumWidth(240);
  first->addWidget(Edit_TableComment, 1);
  first->addWidget(new QLabel(QStringLiteral("テーブルタイプ : "), Panel1));
  Label_TableType = new QLabel(Panel1);
  Label_TableType->setMinimumWidth(90);
  first->addWidget(Label_TableType);

  BitBtn1 = commandButton(QStringLiteral("　終了(&C)"), Panel1);
  BitBtn1->setToolTip(QStringLiteral("元の画面へ"));
  BitBtn_Comment = commandButton(QStringLiteral("コメント設定(&S)"), Panel1);
  BitBtn_Copy = commandButton(QStringLiteral("Clip Copy(&P)"), Panel1);
  CheckBoxShiyou = new QCheckBox(QStringLiteral("仕様書用"), Panel1);
  CheckBoxShiyou->setChecked(true);
  BitBtn_MkSQL = commandButton(QStringLiteral("SQL文作成"), Panel1);
  BitBtn2 = commandButton(QStringLiteral("Object作成"), Panel1);
  BitBtn3 = commandButton(QStringLiteral("項目名←→コメント(&R)"), Panel1);
  BitBtn4 = commandButton(QStringLiteral("SELECT文作成(&S)"), Panel1);
  auto* second = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{BitBtn1, BitBtn_Comment, BitBtn_Copy, CheckBoxShiyou,
                                                    BitBtn_MkSQL, BitBtn2, BitBtn3, BitBtn4})
    second->addWidget(w);
  second->addStretch();

  PanelTop = new QWidget(Panel1);
  auto* topLayout = new QVBoxLayout(PanelTop);
  topLayout->setContentsMargins(0, 0, 0, 0);
  topLayout->setSpacing(4);
  topLayout->addLayout(first);
  topLayout->addLayout(second);
  PanelTop->setObjectName(QStringLiteral("PanelTop"));
  PanelTop->setGeometry(kMargin, 4, 880, kGridTop - 6);

  ComboGrid1 = new TComboGrid(Panel1);
  ComboGrid1->setObjectName(QStringLiteral("ComboGrid1"));
  ComboGrid1->move(kMargin, kGridTop);
  Panel1->installEventFilter(this);
  return Panel1;
}

QWidget* TFormTblInf::buildLowerPanel() {
  Panel2 = new QWidget(this);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  Panel2->setMinimumHeight(kBelowIndexList + 60);
  Label_Index = new QLabel(QStringLiteral("インデックス情報"), Panel2);
  Label_Index->move(kMargin, 2);
  ListBox1 = new QListWidget(Panel2);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->move(kMargin, 20);
  DBNavigator1 = new korvel::ui::DBNavigator(Panel2);
  DBNavigator1->setDataSource(DataSource1);
  DBGrid1 = new korvel::ui::DBGrid(Panel2);
  DBGrid1->setDataSource(DataSource1);
  Panel2->installEventFilter(this);
  return Panel2;
}

void TFormTblInf::buildMenu() {
  MainMenu1 = new QMenuBar(this);
  QMenu* file = MainMenu1->addMenu(QStringLiteral("ファイル(&F)"));
  Open2 = file->addAction(QStringLiteral("テーブル作成情報を開く(&O)"));
  N3 = file->addAction(QStringLiteral("テーブル変換パラメータ(&P)"));
  file->addSeparator();
  Exit1 = file->addAction(QStringLiteral("終了(&X)"));
  QMenu* edit = MainMenu1->addMenu(QStringLiteral("編集(&E)"));
  C1 = edit->addAction(QStringLiteral("コピー(&C)"));
  N2 = edit->addAction(QStringLiteral("コメント書込"));
  layout()->setMenuBar(MainMenu1);
}

void TFormTblInf::connectHandlers() {
  connect(BitBtn1, &QPushButton::clicked, this, [this] { close(); });
  connect(Exit1, &QAction::triggered, this, [this] { close(); });
  connect(BitBtn_Comment, &QPushButton::clicked, this, [this] { BitBtn_CommentClick(); });
  connect(N2, &QAction::triggered, this, [this] { BitBtn_CommentClick(); });
  connect(BitBtn_Copy, &QPushButton::clicked, this, [this] { BitBtn_CopyClick(); });
  connect(BitBtn_MkSQL, &QPushButton::clicked, this, [this] { BitBtn_MkSQLClick(); });
  connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
  connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
  connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
  connect(Open2, &QAction::triggered, this, [this] { Open2Click(); });
  connect(N3, &QAction::triggered, this, [this] { N3Click(); });
  connect(C1, &QAction::triggered, this, [this] { C1Click(); });
}

void TFormTblInf::FormCreate() {
  move(0, 0);
  Qz_ClearInputs(this);
  setWindowState(windowState() | Qt::WindowMaximized);
}

bool TFormTblInf::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == Panel1 || watched == Panel2) && event->type() == QEvent::Resize) Panel1Resize();
  return QDialog::eventFilter(watched, event);
}

void TFormTblInf::Panel1Resize() {
  PanelTop->resize(std::max(0, Panel1->width() - 2 * PanelTop->x()), PanelTop->height());
  const int gridLeft = ComboGrid1->x();
  ComboGrid1->resize(std::max(0, Panel1->width() - 4 * gridLeft),
                     std::max(0, Panel1->height() - ComboGrid1->y() - 2));
  const int listLeft = ListBox1->x();
  const int listHeight = std::max(0, Panel2->height() - kBelowIndexList);
  ListBox1->resize(std::max(0, Panel1->width() - 2 * listLeft), listHeight);
  // The navigator and the small data grid share the strip below the list.
  const int stripTop = ListBox1->y() + listHeight + 4;
  const int stripHeight = std::max(0, Panel2->height() - stripTop - 2);
  DBNavigator1->setGeometry(listLeft, stripTop, 260, std::min(stripHeight, kRowHeight + 4));
  DBGrid1->setGeometry(listLeft + 268, stripTop, std::max(0, Panel1->width() - 2 * listLeft - 268), stripHeight);
}

void TFormTblInf::setFileCaption(const QString& fileName) {
  setWindowTitle(QString::fromUtf8(kTblInfFileCaption) + fileName);
  repaint();
}

void TFormTblInf::SetLoadedTable(const korvel::db::TableName& table, const QString& listedText) {
  loadedTable_ = table;
  loadedText_ = listedText;
}

korvel::db::TableName TFormTblInf::TableForComments() const {
  const QString shown = Edit_TableName->text();
  if (!loadedText_.isEmpty() && shown == loadedText_) return loadedTable_;
  return korvel::db::TableName{QString(), shown.trimmed()};
}

QStringList TFormTblInf::IndexLines() const {
  QStringList lines;
  for (int i = 0; i < ListBox1->count(); ++i) lines << ListBox1->item(i)->text();
  return lines;
}

// --- the script comment reader's view -------------------------------------

void TFormTblInf::setStatusText(const QString& text) {
  StatusPanel->setText(text);
  StatusPanel->repaint();
}

void TFormTblInf::clearIndexList() { ListBox1->clear(); }
void TFormTblInf::addIndexLine(const QString& line) { ListBox1->addItem(line); }
QString TFormTblInf::tableComment() const { return Edit_TableComment->text(); }
void TFormTblInf::setTableComment(const QString& comment) { Edit_TableComment->setText(comment); }
void TFormTblInf::setTableName(const QString& name) { Edit_TableName->setText(name); }
QString TFormTblInf::tableType() const { return Label_TableType->text(); }

QStringList TFormTblInf::tableNames() const {
  return links_.tableNames ? links_.tableNames() : QStringList();
}

void TFormTblInf::showTable(int index) {
  if (links_.showTable) links_.showTable(index);
}

int TFormTblInf::fieldRowCount() const { return ComboGrid1->RowCount() - 1; }

QString TFormTblInf::fieldName(int row) const {
  return ComboGrid1->Cells(korvel::tableinfo::kColName, row);
}

void TFormTblInf::setFieldComment(int row, const QString& comment) {
  ComboGrid1->SetCells(korvel::tableinfo::kColComment, row, comment);
}
