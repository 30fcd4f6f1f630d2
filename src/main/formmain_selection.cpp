// Start-up, alias and table selection, the settings file and window events.

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolButton>

#include "auxwin/fmabout.h"
#include "common/codepage.h"
#include "common/formats.h"
#include "common/settings.h"
#include "ui/dbgrid.h"
#include "ui/windowhelpers.h"
#include "controls/combogrid.h"
#include "controls/spbtn2.h"
#include "db/engine.h"
#include "db/query.h"
#include "db/table.h"
#include "main/formmain.h"
#include "tablemake/formtblmake.h"
#include "ui/datasource.h"
#include "prompt/prompt.h"

using korvel::db::Engine;

namespace {

const char kSettingsFile[] = "FormMain.ini";
const char kSettingsSection[] = "DB";
const QString kVersion = QStringLiteral("V0.989A");

// Owner prefixes of the system schemas hidden by "システムファイルは表示しない".
const QStringList kSystemOwnerPrefixes = {QStringLiteral("CTXSYS."),
                                          QStringLiteral("MDSYS."),
                                          QStringLiteral("SYSTEM.")};

std::string settingsRead(const char* key, const QString& defaultValue) {
  std::string fallback;
  if (!korvel::tryToCp932(defaultValue, fallback)) fallback.clear();
  return Qz_IniRead(kSettingsFile, kSettingsSection, key, fallback);
}

// Writes one settings value; a value code page 932 cannot hold is reported
// and not written, rather than stored altered.
void settingsWrite(const char* key, const QString& value) {
  try {
    if (!Qz_IniWrite(kSettingsFile, kSettingsSection, key, korvel::toCp932(value)))
      korvel::showError(QStringLiteral("設定ファイル %1 に書き込めません")
                            .arg(QString::fromLatin1(kSettingsFile)));
  } catch (const korvel::CodePageError& e) {
    korvel::showError(QString::fromUtf8(e.what()));
  }
}

}  // namespace

void TFormMain::connectHandlers() {
  connect(ComboBox_Alias, &QComboBox::activated, this, [this] { ButtonGetTblNMClick(); });
  connect(ButtonGetTblNM, &QPushButton::clicked, this, [this] { ButtonGetTblNMClick(); });
  connect(ComboBox_Tables, &QComboBox::editTextChanged, this, [this] { ComboBox_TablesChange(); });
  connect(ButtonFClose, &QPushButton::clicked, this, [this] { ButtonFCloseClick(); });
  connect(ENDE1, &QAction::triggered, this, [this] { ENDE1Click(); });
  for (QObject* o : {static_cast<QObject*>(ComboBox_Alias), static_cast<QObject*>(ComboBox_Tables),
                     static_cast<QObject*>(ComboBox_Story)})
    o->installEventFilter(this);
  ComboBox_Alias->lineEdit()->installEventFilter(this);
  ComboBox_Tables->lineEdit()->installEventFilter(this);
  // Key preview: the window sees every key of its controls first.
  qApp->installEventFilter(this);

  connectBrowseHandlers();
  connectAsciiHandlers();
  connectFormatGridHandlers();
  connectClipboardHandlers();
  connectSqlToolHandlers();
  connect(SpeedButtonDMake, &QToolButton::clicked, this, [this] { SpeedButtonDMakeClick(); });
  connect(SpeedButtonKensu, &QToolButton::clicked, this, [this] { SpeedButtonKensuClick(); });
  connect(Button10, &QPushButton::clicked, this, [this] { InfoDisplayClick(); });
  connect(InfoDisplay, &QAction::triggered, this, [this] { InfoDisplayClick(); });
  connect(ButtonMake, &QPushButton::clicked, this, [this] { ButtonMakeClick(); });
}

void TFormMain::ButtonMakeClick() { korvel::prompt().showModal(FormTblMake); }

void TFormMain::FormCreate() {
  move(0, 0);
  SpeedButtonAbort->setGeometry(BitBtnExcelCopy->geometry());
  Qz_ClearInputs(this);

  const QStringList problems = Engine::instance().loadAliases();
  if (!problems.isEmpty()) korvel::showError(problems.join(QLatin1Char('\n')));
  ComboBox_Alias->addItems(Engine::instance().aliasNames());
  if (ComboBox_Alias->count() > 0)
    ComboBox_Alias->setCurrentIndex(0);
  else
    korvel::showError(QStringLiteral("Aliasが見つかりません"));

  setWindowTitle(windowTitle() + QLatin1Char(' ') + kVersion);

  const QString alias = korvel::fromCp932(settingsRead("Alias", QString()));
  if (alias.isEmpty()) return;
  const int index = ComboBox_Alias->findText(alias, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index >= 0) ComboBox_Alias->setCurrentIndex(index);
  const char* keys[] = {"T1", "T2", "T3", "T4"};
  QPushButton* memoButtons[] = {ButtonMemo1, ButtonMemo2, ButtonMemo3, ButtonMemo4};
  for (int i = 0; i < 4; ++i)
    memoButtons[i]->setText(korvel::fromCp932(settingsRead(keys[i], memoButtons[i]->text())));
}

void TFormMain::FormShow() {
  korvel::formatSettings().currencyDecimals = 0;
  ButtonGetTblNMClick();
  SpeedButtonKensu->setEnabled(false);
  LabelKensu->clear();
  if (FMAbout) FMAbout->LabelVersion->setText(QStringLiteral("Version ") + kVersion);
  // The format grid was laid out before the window had its size: show its
  // first row (the field names) from the top.
  ComboGrid1->FocusCell(1, 0);
  ComboGrid1->SetTopRow(0);
}

void TFormMain::ButtonGetTblNMClick() {
  if (!resolvePendingEdit()) {
    restoreAliasChoice();
    return;
  }
  if (!korvel::hasSelectedItem(ComboBox_Alias)) korvel::selectOrAppendText(ComboBox_Alias);
  const QString alias = ComboBox_Alias->currentText();

  if (!korvel::fillAliasTables(ComboBox_Tables, alias, CheckBox1->isChecked(), CheckBox2->isChecked())) return;
  if (CheckBoxOthers->isChecked()) {
    const QSignalBlocker blocker(ComboBox_Tables);
    for (int i = 0; i < ComboBox_Tables->count();) {
      const QString name = ComboBox_Tables->itemText(i);
      const bool system = std::any_of(kSystemOwnerPrefixes.begin(), kSystemOwnerPrefixes.end(),
                                      [&](const QString& p) { return name.startsWith(p); });
      if (system) {
        ComboBox_Tables->removeItem(i);
        i = 0;  // the scan starts again at the first item
      } else {
        ++i;
      }
    }
  }
  if (ComboBox_Tables->count() > 0) {
    const QSignalBlocker blocker(ComboBox_Tables);
    ComboBox_Tables->setCurrentIndex(0);
  }
}

// The alias box shows the alias of the open dataset again, after the user
// chose to stay with an unposted edit rather than list another alias.
void TFormMain::restoreAliasChoice() {
  const QString alias = currentDataSet()->databaseName();
  const QSignalBlocker blocker(ComboBox_Alias);
  const int index = ComboBox_Alias->findText(alias, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index >= 0)
    ComboBox_Alias->setCurrentIndex(index);
  else
    ComboBox_Alias->setEditText(alias);
}

void TFormMain::ComboBox_TablesChange() {
  if (!resolvePendingEdit()) {
    // The user stays with the edit: the box shows the open table again.
    const QSignalBlocker blocker(ComboBox_Tables);
    ComboBox_Tables->setEditText(openTablesText_);
    return;
  }
  CloseDataSets();
  Table_Paradox->setDatabaseName(ComboBox_Alias->currentText());
  Table_Paradox->setTableName(ComboBox_Tables->currentText());
  CheckBoxQuery->setChecked(false);
}

void TFormMain::ComboBox_TablesExit() {
  if (korvel::hasSelectedItem(ComboBox_Tables)) return;
  const QSignalBlocker blocker(ComboBox_Tables);
  korvel::selectOrAppendText(ComboBox_Tables);
}

void TFormMain::ComboBox_TablesKeyPress() {
  if (!resolvePendingEdit()) return;
  StatusPanel1->clear();  // Enter here is the open command: as its button does
  CheckBoxQuery->setChecked(false);
  ButtonOpenClick(ComboBox_Tables);
}

void TFormMain::ComboBox_AliasKeyPress() { ComboBox_Tables->setFocus(); }

void TFormMain::ButtonFCloseClick() { close(); }

void TFormMain::ENDE1Click() { close(); }

void TFormMain::CloseDataSets() {
  stopFollowingCount();
  SpeedButtonKensu->setEnabled(false);
  LabelKensu->clear();
  Table_Paradox->close();
  Table_Ascii->close();
  if (CheckBox_Ascii->isChecked()) {
    // The text table is closed: the grid shows the table or query again.
    const QSignalBlocker blocker(CheckBox_Ascii);
    CheckBox_Ascii->setChecked(false);
    DBGrid1->setDataSource(DataSource_Paradox);
  }
  QueryTmp->close();
  QueryTmp->unprepare();
}

korvel::db::Dataset* TFormMain::currentDataSet() const {
  if (DataSource_Paradox->dataSet() == QueryTmp) return QueryTmp;
  return Table_Paradox;
}

void TFormMain::FormResize() {
  placeControls();
  const int top = Panel1->y();
  Panel1->resize(ClientArea->width() - 2 * Panel1->x(), ClientArea->height() - top);
}

void TFormMain::FormClose() {
  const QString alias = ComboBox_Alias->currentText();
  if (alias.isEmpty()) return;
  settingsWrite("Alias", alias);
  settingsWrite("T1", ButtonMemo1->text());
  settingsWrite("T2", ButtonMemo2->text());
  settingsWrite("T3", ButtonMemo3->text());
  settingsWrite("T4", ButtonMemo4->text());
}

void TFormMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void TFormMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

void TFormMain::closeEvent(QCloseEvent* event) {
  if (gridCopyRunning_) {
    // Closing during a grid copy stops the copy first.
    SpeedButtonAbort->SetDown(true);
    event->ignore();
    return;
  }
  if (!resolvePendingEdit()) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

bool TFormMain::isOwnKeyEvent(QObject* watched) const {
  auto* widget = qobject_cast<QWidget*>(watched);
  return widget && (widget == this || isAncestorOf(widget)) && widget->window() == this;
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyRelease && isOwnKeyEvent(watched)) {
    // F9 ends the program, wherever the focus is in this window.
    if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F9) {
      close();
      return true;
    }
  }
  if (type == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (enter && (watched == ComboBox_Tables || watched == ComboBox_Tables->lineEdit())) {
      ComboBox_TablesKeyPress();
      return true;
    }
    if (enter && (watched == ComboBox_Alias || watched == ComboBox_Alias->lineEdit())) {
      ComboBox_AliasKeyPress();
      return true;
    }
  }
  if (type == QEvent::FocusOut && (watched == ComboBox_Tables || watched == ComboBox_Story)) {
    ComboBox_TablesExit();
  }
  return QMainWindow::eventFilter(watched, event);
}
