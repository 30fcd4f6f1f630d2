#include "tablemake/formtblmake.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

#include "auxwin/form_alias.h"
#include "common/codepage.h"
#include "controls/combogrid.h"
#include "controls/griddefinition.h"
#include "db/engine.h"
#include "prompt/prompt.h"
#include "tablemake/scriptreader.h"
#include "ui/windowhelpers.h"

TFormTblMake* FormTblMake = nullptr;

namespace {

constexpr int kMargin = 8;  // left margin of the grid and the key list

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}

QLabel* label(QWidget* parent, const QString& text, const char* name = nullptr) {
  auto* l = new QLabel(text, parent);
  if (name) l->setObjectName(QString::fromLatin1(name));
  return l;
}

// A message listing lines, at most `most` of them, each cut to a readable width.
QString listedLines(const QString& heading, const std::vector<std::string>& lines, size_t most = 20) {
  QString text = heading;
  for (size_t i = 0; i < lines.size() && i < most; ++i) {
    QString line = korvel::fromCp932(lines[i]).simplified();
    if (line.size() > 120) line = line.left(117) + QStringLiteral("...");
    text += QStringLiteral("\r\n  ") + line;
  }
  if (lines.size() > most) text += QStringLiteral("\r\n  ... (%1)").arg(lines.size() - most);
  return text;
}

}  // namespace

TFormTblMake::TFormTblMake(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormTblMake"));
  setWindowTitle(QString::fromUtf8(kFormTblMakeCaption));
  buildControls();
  buildMenu();
  connectHandlers();
  FormCreate();
}

TFormTblMake::~TFormTblMake() { qApp->removeEventFilter(this); }

void TFormTblMake::buildControls() {
  label(this, QStringLiteral("DataBaseName(Directory)"), "Label1");
  ComboBox_Alias = new QComboBox(this);
  ComboBox_Alias->setObjectName(QStringLiteral("ComboBox_Alias"));
  ComboBox_Alias->setEditable(true);
  ComboBox_Alias->setInsertPolicy(QComboBox::NoInsert);
  ComboBox_Alias->setMaxVisibleItems(10);
  label(this, QStringLiteral("TableName"), "Label2");
  EditTableName = new QLineEdit(this);
  EditTableName->setObjectName(QStringLiteral("EditTableName"));
  Edit_TableComment = new QLineEdit(this);
  Edit_TableComment->setObjectName(QStringLiteral("Edit_TableComment"));
  Edit_TableComment->hide();
  LabelVersion = label(this, QString::fromUtf8(kFormTblMakeVersion), "LabelVersion");

  ButtonTableIndex = button(this, "ButtonTableIndex", QStringLiteral("Table + Index Make"));
  ButtonTableMake = button(this, "ButtonTableMake", QStringLiteral("Table Make"));
  ButtonIdxMake = button(this, "ButtonIdxMake", QStringLiteral("Make Index"));
  Button2 = button(this, "Button2", QStringLiteral("Program Close"));

  Label5 = label(this, QString(), "Label5");
  Label6 = label(this, QString(), "Label6");
  Label7 = label(this, QString(), "Label7");

  ComboGrid1 = new TComboGrid(this);
  ComboGrid1->setObjectName(QStringLiteral("ComboGrid1"));
  ComboGrid2 = new TComboGrid(this);
  ComboGrid2->setObjectName(QStringLiteral("ComboGrid2"));
  ComboGrid2->hide();
  QString error;
  if (!korvel::LoadGridDefinitions(this, QStringLiteral(":/grids/formtblmake.grid"), &error))
    korvel::showError(error);

  label(this, QStringLiteral("インデックス情報"), "LabelKeys");
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
}

void TFormTblMake::buildMenu() {
  MainMenu1 = new QMenuBar(this);
  QMenu* file = MainMenu1->addMenu(QStringLiteral("File(&F)"));
  O1 = file->addAction(QStringLiteral("テーブル作成情報を開く(&O)"));
  ENDE1 = file->addAction(QStringLiteral("終了(&X)"));
  QMenu* view = MainMenu1->addMenu(QStringLiteral("表示(&V)"));
  N3 = view->addAction(QStringLiteral("エリアス情報表示"));
}

void TFormTblMake::connectHandlers() {
  connect(O1, &QAction::triggered, this, &TFormTblMake::O1Click);
  connect(ENDE1, &QAction::triggered, this, &QDialog::reject);
  connect(N3, &QAction::triggered, this, &TFormTblMake::N3Click);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
  connect(ButtonTableMake, &QPushButton::clicked, this, &TFormTblMake::ButtonTableMakeClick);
  connect(ButtonIdxMake, &QPushButton::clicked, this, &TFormTblMake::ButtonIdxMakeClick);
  connect(ButtonTableIndex, &QPushButton::clicked, this, &TFormTblMake::ButtonTableIndexClick);
  // Key preview: the window sees the keys of its controls first.
  qApp->installEventFilter(this);
}

void TFormTblMake::FormCreate() {
  move(0, 0);
  setWindowState(Qt::WindowMaximized);
  resize(1024, 720);
  for (int row = 1; row < ComboGrid1->RowCount(); ++row) ComboGrid1->SetCells(0, row, QString::number(row));
  ComboBox_Alias->addItems(korvel::db::Engine::instance().aliasNames());
  if (ComboBox_Alias->count() > 0)
    ComboBox_Alias->setCurrentIndex(0);
  else
    korvel::showError(QStringLiteral("Aliasが見つかりません"));
}

void TFormTblMake::FormShow() {
  FormResize();
  SelectAlias();
  // A step that ended in an engine error left its buttons hidden; a new
  // showing offers them again.
  setBuildButtonsVisible(true);
}

void TFormTblMake::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TFormTblMake::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FormResize();
}

// Controls at fixed places at the top; the key list 152 pixels above the
// bottom with its heading 20 pixels above it; the field grid between.
void TFormTblMake::FormResize() {
  const int top = MainMenu1->sizeHint().height();
  MainMenu1->setGeometry(0, 0, width(), top);
  const int statusHeight = StatusBar1->sizeHint().height();
  StatusBar1->setGeometry(0, height() - statusHeight, width(), statusHeight);
  const int clientWidth = width();
  const int clientBottom = height();

  int y = top + 8;
  findChild<QLabel*>(QStringLiteral("Label1"))->setGeometry(kMargin, y + 3, 160, 20);
  ComboBox_Alias->setGeometry(170, y, 260, 24);
  findChild<QLabel*>(QStringLiteral("Label2"))->setGeometry(446, y + 3, 70, 20);
  EditTableName->setGeometry(520, y, 180, 24);
  LabelVersion->setGeometry(716, y + 3, 70, 20);
  y += 34;
  int x = kMargin;
  for (QPushButton* b : {ButtonTableIndex, ButtonTableMake, ButtonIdxMake, Button2}) {
    b->setGeometry(x, y, 150, 26);
    x += 158;
  }
  y += 34;
  Label5->setGeometry(kMargin, y, 200, 20);
  Label6->setGeometry(kMargin + 210, y, 360, 20);
  Label7->setGeometry(kMargin + 580, y, 120, 20);
  y += 24;

  const int listTop = clientBottom - 152;
  const int wide = std::max(0, clientWidth - 2 * kMargin);
  ListBox1->setGeometry(kMargin, listTop, wide, std::max(0, 152 - statusHeight - 6));
  findChild<QLabel*>(QStringLiteral("LabelKeys"))->setGeometry(kMargin, listTop - 20, 200, 18);
  ComboGrid1->setGeometry(kMargin, y, wide, std::max(0, listTop - 24 - y));
}

bool TFormTblMake::eventFilter(QObject* watched, QEvent* event) {
  const auto* widget = qobject_cast<QWidget*>(watched);
  const bool ours = widget && widget->window() == this;
  if (ours && event->type() == QEvent::KeyRelease && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F9) {
    reject();  // F9 closes the window
    return true;
  }
  if (ours && event->type() == QEvent::KeyPress &&
      (watched == ComboBox_Alias || watched == ComboBox_Alias->lineEdit())) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      ComboBox_AliasKeyPress();
      return true;  // the key is swallowed
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFormTblMake::ComboBox_AliasKeyPress() { SelectAlias(); }

// An alias whose text matches no item becomes an item of its own.
void TFormTblMake::SelectAlias() {
  const int index = ComboBox_Alias->currentIndex();
  const bool selected = index >= 0 && ComboBox_Alias->itemText(index) == ComboBox_Alias->currentText();
  if (selected || ComboBox_Alias->currentText().isEmpty()) return;
  Qz_ComboAddText(ComboBox_Alias);
}

void TFormTblMake::N3Click() { ShowAliasInformation(ComboBox_Alias, StatusBar1); }

void TFormTblMake::O1Click() {
  const QString file = korvel::prompt().openFileName(QStringLiteral("テーブル作成情報を開く"), QString(),
                                                     QStringLiteral("SQL (*.sql *.SQL);;ALL (*)"));
  if (file.isEmpty()) return;
  Qz_ClearGrid(ComboGrid1);
  ListBox1->clear();
  LoadTableDefinition(file);
}

void TFormTblMake::LoadTableDefinition(const QString& fileName) {
  StatusBar1->showMessage(QStringLiteral("SQL定義文読込中"));
  StatusBar1->repaint();
  const auto script = korvel::ReadScriptDefinition(fileName, [this](int result, int length) {
    Label5->setText(QString::number(result));
    Label6->setText(QStringLiteral("0"));
    Label7->setText(QString::number(length));
  });
  if (!script) {
    StatusBar1->clearMessage();
    return;
  }
  Edit_TableComment->setText(korvel::fromCp932(script->tableComment));
  if (script->sawCreate) EditTableName->setText(korvel::fromCp932(script->tableName));

  const auto& columns = script->columns;
  for (size_t i = 0; i < columns.size() && i < kFieldRows; ++i) {
    const korvel::ColumnDefinition& c = columns[i].definition;
    const int row = static_cast<int>(i) + 1;
    const std::pair<int, const std::string*> cells[] = {{1, &c.name},     {2, &c.typeWord},
                                                        {3, &c.digits},   {4, &c.decimals},
                                                        {5, &c.constraintText}, {8, &c.comment}};
    ComboGrid1->SetCells(0, row, QString::number(row));
    for (const auto& [col, text] : cells) ComboGrid1->SetCells(col, row, korvel::fromCp932(*text));
  }
  for (const auto& entry : script->keyEntries) ListBox1->addItem(korvel::fromCp932(entry));
  StatusBar1->clearMessage();

  // What the script held that the grid and the key list do not show is said, not dropped.
  if (!script->sawCreate)
    korvel::showError(QStringLiteral("*E:指定されたファイルには CREATE TABLE 文がありません。\r\n"
                                     "　　SQL文を確認して下さい。"));
  for (int i = 0; i < script->keysWithoutColumns; ++i)
    korvel::showError(QStringLiteral("KEY情報は１行で定義してね"));
  if (columns.size() > kFieldRows) {
    std::vector<std::string> beyond;
    for (size_t i = kFieldRows; i < columns.size(); ++i) beyond.push_back(columns[i].definition.name);
    korvel::showError(listedLines(QStringLiteral("*E:項目は%1行までです。次の%2項目は読み込んでいません。")
                                      .arg(kFieldRows)
                                      .arg(beyond.size()),
                                  beyond));
  }
  if (!script->unreadText.empty())
    korvel::showError(listedLines(QStringLiteral("*E:SQL定義文の次の部分は読み取っていません。"), script->unreadText));
}
