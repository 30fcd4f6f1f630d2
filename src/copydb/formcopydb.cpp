// Construction of the table data copy window, the alias and table lists,
// "Try Again" and the window's events. The copy itself: formcopydb_copy.cpp.

#include "copydb/formcopydb.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "controls/spbtn2.h"
#include "db/engine.h"
#include "db/query.h"
#include "db/table.h"
#include "prompt/prompt.h"
#include "ui/windowhelpers.h"

using korvel::db::Engine;

TFormCopyDB* FormCopyDB = nullptr;

namespace {

const QString kVersion = QStringLiteral("Ver 0.63A");

template <class W>
W* named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QComboBox* comboBox(QWidget* parent, const char* name) {
  auto* box = named(new QComboBox(parent), name);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMinimumWidth(220);
  return box;
}

QLabel* label(QWidget* parent, const QString& text) { return new QLabel(text, parent); }

}  // namespace

TFormCopyDB::TFormCopyDB(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormCopyDB"));
  setWindowTitle(QStringLiteral("テーブルデータコピー"));
  TableS = named(new korvel::db::Table(this), "TableS");
  QueryTmp1 = named(new korvel::db::Query(this), "QueryTmp1");
  QueryTmp2B = named(new korvel::db::Query(this), "QueryTmp2B");
  QueryTmp2 = named(new korvel::db::Query(this), "QueryTmp2");
  buildControls();
  buildMenu();
  connectHandlers();
  resize(640, 480);
  FormCreate();
}

TFormCopyDB::~TFormCopyDB() { qApp->removeEventFilter(this); }

void TFormCopyDB::buildControls() {
  ComboBox_Alias = comboBox(this, "ComboBox_Alias");
  ComboBox_Tables = comboBox(this, "ComboBox_Tables");
  ComboBox_Alias2 = comboBox(this, "ComboBox_Alias2");
  ComboBox_Tables2 = comboBox(this, "ComboBox_Tables2");
  CheckBox1 = named(new QCheckBox(QStringLiteral("Show File &Extensions"), this), "CheckBox1");
  CheckBox1->setChecked(true);
  CheckBox2 = named(new QCheckBox(QStringLiteral("Show &System Tables for Remote Aliases"), this), "CheckBox2");
  CheckBoxApperr = named(new QCheckBox(QStringLiteral("Append ERR無視"), this), "CheckBoxApperr");
  ButtonCopy = named(new QPushButton(QStringLiteral("Copy Start"), this), "ButtonCopy");
  SpeedButtonAbort = named(new TSpBtn2(this), "SpeedButtonAbort");
  SpeedButtonAbort->SetCaption(QStringLiteral("中断"));
  SpeedButtonAbort->SetOnStr(QStringLiteral("中断"));
  SpeedButtonAbort->SetOffStr(QStringLiteral("中断"));
  SpeedButtonAbort->SetGroupIndex(1);
  SpeedButtonAbort->SetAllowAllUp(true);
  LabelSt = named(new QLabel(this), "LabelSt");
  LabelEnd = named(new QLabel(this), "LabelEnd");
  LabelKensu = named(new QLabel(this), "LabelKensu");
  Edit2 = named(new QLineEdit(this), "Edit2");
  Button1 = named(new QPushButton(QStringLiteral("Try Again"), this), "Button1");
  Memo1 = named(new QPlainTextEdit(this), "Memo1");
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Button2 = named(new QPushButton(QStringLiteral("Program Close"), this), "Button2");
  // Enter in the statement box or a list must not start a copy.
  for (QPushButton* b : {ButtonCopy, Button1, Button2}) b->setAutoDefault(false);

  auto* grid = new QGridLayout;
  grid->addWidget(label(this, QStringLiteral("DataBaseName(転送元)")), 0, 0);
  grid->addWidget(ComboBox_Alias, 0, 1);
  grid->addWidget(label(this, QStringLiteral("Table")), 0, 2);
  grid->addWidget(ComboBox_Tables, 0, 3);
  grid->addWidget(label(this, QStringLiteral("DataBaseName(転送先)")), 1, 0);
  grid->addWidget(ComboBox_Alias2, 1, 1);
  grid->addWidget(label(this, QStringLiteral("Table")), 1, 2);
  grid->addWidget(ComboBox_Tables2, 1, 3);

  auto* options = new QHBoxLayout;
  options->addWidget(CheckBox1);
  options->addWidget(CheckBox2);
  options->addWidget(CheckBoxApperr);
  options->addStretch();

  auto* run = new QHBoxLayout;
  run->addWidget(ButtonCopy);
  run->addWidget(SpeedButtonAbort);
  run->addWidget(label(this, QStringLiteral("開始")));
  run->addWidget(LabelSt);
  run->addWidget(label(this, QStringLiteral("終了")));
  run->addWidget(LabelEnd);
  run->addWidget(LabelKensu, 1);

  auto* again = new QHBoxLayout;
  again->addWidget(Edit2, 1);
  again->addWidget(Button1);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(Button2);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(options);
  layout->addLayout(run);
  layout->addLayout(again);
  layout->addWidget(Memo1, 1);
  layout->addLayout(bottom);
}

void TFormCopyDB::buildMenu() {
  MainMenu1 = named(new QMenuBar(this), "MainMenu1");
  QMenu* file = MainMenu1->addMenu(QStringLiteral("ファイル(&F)"));
  OpenTableMakeInfo = file->addAction(QStringLiteral("テーブル作成情報を開く(&O)"));
  ShowStructure = file->addAction(QStringLiteral("テーブル構造表示"));
  ShowAliasInfo = file->addAction(QStringLiteral("エリアス情報表示"));
  ExtractStructure = file->addAction(QStringLiteral("テーブル構造抽出"));
  file->addSeparator();
  Exit1 = file->addAction(QStringLiteral("終了(&X)"));
  layout()->setMenuBar(MainMenu1);
}

void TFormCopyDB::connectHandlers() {
  for (QComboBox* box : {ComboBox_Alias, ComboBox_Tables, ComboBox_Alias2, ComboBox_Tables2}) {
    connect(box, &QComboBox::currentIndexChanged, this, [this, box] { ComboBox_AliasChange(box); });
    box->lineEdit()->installEventFilter(this);
  }
  connect(ButtonCopy, &QPushButton::clicked, this, [this] { ButtonCopyClick(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, &QDialog::close);
  connect(Exit1, &QAction::triggered, this, &QDialog::close);
  // Key preview: the window sees every key of its controls first.
  qApp->installEventFilter(this);
}

void TFormCopyDB::FormCreate() {
  move(0, 0);
  Qz_ClearInputs(this);
  {
    const QSignalBlocker source(ComboBox_Alias), destination(ComboBox_Alias2);
    const QStringList aliases = Engine::instance().aliasNames();
    ComboBox_Alias->addItems(aliases);
    if (!aliases.isEmpty()) {
      ComboBox_Alias->setCurrentIndex(0);
      ComboBox_Alias2->addItems(aliases);
      ComboBox_Alias2->setCurrentIndex(0);
    }
  }
  if (ComboBox_Alias->count() == 0) korvel::showError(QStringLiteral("Aliasが見つかりません"));
  setWindowTitle(kVersion + u' ' + windowTitle());
  // A log that cannot be created is told when a copy starts.
  errorLog_.create();
  LabelKensu->clear();
}

void TFormCopyDB::FormShow() { ButtonCopy->show(); }

void TFormCopyDB::ComboBox_AliasChange(QComboBox* sender) {
  LabelSt->clear();
  LabelEnd->clear();
  if (sender == ComboBox_Alias) ListAliasTables(QStringLiteral("S"));
  else if (sender == ComboBox_Alias2) ListAliasTables(QStringLiteral("D"));
}

void TFormCopyDB::ComboBox_AliasKeyPress(QComboBox* sender) {
  SelectTypedAlias(sender);
  ListAliasTables(sender == ComboBox_Alias ? QStringLiteral("S") : QStringLiteral("D"));
}

void TFormCopyDB::SelectTypedAlias(QComboBox* box) {
  if (box->currentText().isEmpty() || korvel::hasSelectedItem(box)) return;
  const QSignalBlocker blocker(box);  // the caller lists the tables
  korvel::selectOrAppendText(box);
}

void TFormCopyDB::ListAliasTables(const QString& side) {
  const bool source = side == u"S";
  QComboBox* aliasBox = source ? ComboBox_Alias : ComboBox_Alias2;
  QComboBox* tableBox = source ? ComboBox_Tables : ComboBox_Tables2;
  const QString alias = aliasBox->currentText();

  if (!korvel::fillAliasTables(tableBox, alias, CheckBox1->isChecked(), CheckBox2->isChecked())) return;
  if (source) {
    TableS->setDatabaseName(alias);
    QueryTmp1->setDatabaseName(alias);
  } else {
    QueryTmp2->setDatabaseName(alias);
    QueryTmp2B->setDatabaseName(alias);
  }
}

// An engine error passes to the program's error report, as every handler's
// does; the operator corrects the text and tries again.
void TFormCopyDB::Button1Click() {
  QueryTmp2->close();
  QueryTmp2->setSql(Edit2->text());
  QueryTmp2->prepare();
  QueryTmp2->execSql();
}

void TFormCopyDB::FormKeyUp(int key) {
  if (key == Qt::Key_F9) close();
}

void TFormCopyDB::closeDataSets() {
  TableS->close();
  QueryTmp1->close();
  QueryTmp2B->close();
  QueryTmp2->close();
}

void TFormCopyDB::setInputsEnabled(bool enabled) {
  for (QWidget* w : std::initializer_list<QWidget*>{ComboBox_Alias, ComboBox_Tables, ComboBox_Alias2,
                                                    ComboBox_Tables2, CheckBox1, CheckBox2, Button1})
    w->setEnabled(enabled);
  MainMenu1->setEnabled(enabled);
}

void TFormCopyDB::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

// Closing while a copy runs stops the copy first; the window closes when it
// has ended, with everything written so far committed.
void TFormCopyDB::closeEvent(QCloseEvent* event) {
  if (!copying_) {
    QDialog::closeEvent(event);
    return;
  }
  closeRequested_ = true;
  SpeedButtonAbort->SetDown(true);
  event->ignore();
}

void TFormCopyDB::reject() {
  if (!copying_) {
    QDialog::reject();
    return;
  }
  closeRequested_ = true;
  SpeedButtonAbort->SetDown(true);
}

void TFormCopyDB::closeAfterCopy() {
  if (!closeRequested_) return;
  closeRequested_ = false;
  close();
}

bool TFormCopyDB::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  const bool own = widget && widget->window() == this;
  if (own && event->type() == QEvent::KeyRelease) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_F9) {
      FormKeyUp(key);
      return true;
    }
  }
  if (own && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      for (QComboBox* box : {ComboBox_Alias, ComboBox_Alias2})
        if (watched == box || watched == box->lineEdit()) {
          if (!copying_) ComboBox_AliasKeyPress(box);
          return true;  // the key is swallowed
        }
    }
  }
  return QDialog::eventFilter(watched, event);
}
