// Opening and closing the table or query shown in the data grid, the four
// recently used tables, posting and deleting, and the state reports.

#include <QCheckBox>
#include <QDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolButton>

#include "common/datetime.h"
#include "common/formats.h"
#include "common/programstate.h"
#include "common/codepage.h"
#include "ui/windowhelpers.h"
#include "db/engineerror.h"
#include "db/query.h"
#include "db/table.h"
#include "main/formmain.h"
#include "main/mru.h"
#include "main/statement.h"
#include "sqleditor/formmemo.h"
#include "ui/datasource.h"
#include "ui/dbgrid.h"
#include "prompt/prompt.h"

using korvel::db::DatasetState;
using korvel::db::EngineError;

namespace {

QString clockText(const char* pattern) {
  return korvel::fromCp932(korvel::FormatDateTime(pattern, korvel::now()));
}

QString stateName(DatasetState state) {
  switch (state) {
    case DatasetState::Inactive: return QStringLiteral("CLOSE");
    case DatasetState::Browse: return QStringLiteral("Browse");
    case DatasetState::Edit: return QStringLiteral("Edit");
    case DatasetState::Insert: return QStringLiteral("Insert");
    case DatasetState::SetKey: return QStringLiteral("Setkey");
    case DatasetState::CalcFields: return QStringLiteral("CalcFields");
  }
  return QString();
}

QStringList memoLines(const QPlainTextEdit* memo) {
  if (memo->document()->isEmpty()) return {};
  return memo->toPlainText().split(QLatin1Char('\n'));
}

}  // namespace

void TFormMain::connectBrowseHandlers() {
  connect(ButtonOpen, &QPushButton::clicked, this, [this] { ButtonOpenClick(ButtonOpen); });
  connect(ButtonSEdit, &QPushButton::clicked, this, [this] { ButtonOpenClick(ButtonSEdit); });
  connect(ButtonClose, &QPushButton::clicked, this, [this] { ButtonCloseClick(); });
  connect(CheckBoxQuery, &QCheckBox::toggled, this, [this] { CheckBoxQueryClick(CheckBoxQuery); });
  connect(CheckBoxIAuto, &QCheckBox::toggled, this, [this] { CheckBoxQueryClick(CheckBoxIAuto); });
  connect(Button8, &QPushButton::clicked, this, [this] { Button8Click(); });
  connect(Button9, &QPushButton::clicked, this, [this] { Button9Click(); });
  for (QPushButton* b : {ButtonMemo1, ButtonMemo2, ButtonMemo3, ButtonMemo4})
    connect(b, &QPushButton::clicked, this, [this, b] { ButtonMemo1Click(b); });
  connect(DataSource_Paradox, &korvel::ui::DataSource::stateChange, this,
          [this] { DataSource_ParadoxStateChange(); });
  connect(DataSource_Paradox, &korvel::ui::DataSource::dataChange, this,
          [this] { DataSource_ParadoxDataChange(); });
  connect(Table_Paradox, &korvel::db::Dataset::postError, this,
          [this] { Table_ParadoxPostError(); });
}

void TFormMain::ButtonOpenClick(QObject* Sender) {
  if (!resolvePendingEdit()) return;
  FormMemo->EditAlias->setText(ComboBox_Alias->currentText());
  if (Sender == ButtonSEdit) CheckBoxQuery->setChecked(true);
  CloseDataSets();
  readOnlyFallback_ = false;

  if (CheckBoxQuery->isChecked()) {
    if (!openQuery(Sender)) return;
  } else if (!openTable()) {
    return;
  }
  SpeedButtonKensu->setEnabled(true);
  capDisplayWidths();
  if (CheckBoxIAuto->isChecked() && !readOnlyFallback_ && currentDataSet()->active())
    SpeedButtonGetSimpleInfClick();
  updateMruButtons(ComboBox_Tables->currentText());
  openTablesText_ = ComboBox_Tables->currentText();
  korvel::db::Dataset* used =
      CheckBoxQuery->isChecked() ? static_cast<korvel::db::Dataset*>(QueryTmp) : Table_Paradox;
  if (used->active()) DBGrid1->setFocus();
}

// Query mode: the statement comes from the SQL editor. False when nothing is
// to be opened (editor cancelled, empty statement).
bool TFormMain::openQuery(QObject* Sender) {
  EditorTableName = ComboBox_Tables->currentText();
  // How the editor was closed decides, not EditorResult, which the date
  // routines used inside the editor also write: only its OK accepts.
  if (Sender == ButtonSEdit || FormMemo->Memo1->document()->isEmpty()) {
    if (korvel::prompt().showModal(FormMemo) != QDialog::Accepted) return false;
  }

  const QString statement = korvel::statementFromLines(memoLines(FormMemo->Memo1));
  if (statement.isEmpty()) return false;

  Button8->setEnabled(false);
  Button9->setEnabled(false);
  QueryTmp->setRequestLive(true);
  DataSource_Paradox->setDataSet(QueryTmp);
  QueryTmp->setDatabaseName(ComboBox_Alias->currentText());
  QueryTmp->setSql(statement);
  try {
    QueryTmp->prepare();
    QueryTmp->open();
  } catch (const EngineError& e) {
    // Only a result that cannot be edited is reopened read-only; any other
    // error is the statement's own and is shown as it is.
    if (e.kind() == korvel::db::EngineErrorKind::NotLive) {
      Qz_ShowStatus(QStringLiteral("このデータを編集することはできません"), StatusBar1);
      readOnlyFallback_ = true;
    } else {
      korvel::showMessage(e.lastMessage() + QStringLiteral(" , Error Code=") +
                          QString::number(e.count()));
    }
  }
  if (readOnlyFallback_) {
    QueryTmp->setRequestLive(false);
    Qz_OpenQuery(*QueryTmp, statement);
  }
  return true;
}

bool TFormMain::openTable() {
  DataSource_Paradox->setDataSet(Table_Paradox);
  Table_Paradox->setDatabaseName(ComboBox_Alias->currentText());
  Table_Paradox->setTableName(ComboBox_Tables->currentText());
  try {
    Table_Paradox->open();
  } catch (const EngineError& e) {
    korvel::showError(e.lastMessage());
    return false;
  }
  Button8->setEnabled(true);
  Button9->setEnabled(true);
  return true;
}

// Very wide columns would push the others out of sight: over 20 characters
// becomes 15.
void TFormMain::capDisplayWidths() {
  korvel::db::Dataset* ds = DataSource_Paradox->dataSet();
  if (!ds || !ds->active()) return;
  for (int i = 0; i < ds->fieldCount(); ++i)
    if (ds->field(i).displayWidth() > 20) ds->field(i).setDisplayWidth(15);
  DBGrid1->applyDisplayWidths();
}

QStringList TFormMain::memoButtonCaptions() const {
  return {ButtonMemo1->text(), ButtonMemo2->text(), ButtonMemo3->text(), ButtonMemo4->text()};
}

void TFormMain::updateMruButtons(const QString& table) {
  QStringList captions = memoButtonCaptions();
  korvel::updateMru(captions, table);
  ButtonMemo1->setText(captions[0]);
  ButtonMemo2->setText(captions[1]);
  ButtonMemo3->setText(captions[2]);
  ButtonMemo4->setText(captions[3]);
}

void TFormMain::ButtonCloseClick() {
  if (!resolvePendingEdit()) return;
  CloseDataSets();
  ComboBox_Tables->setFocus();
}

void TFormMain::CheckBoxQueryClick(QCheckBox* Sender) {
  if (!resolvePendingEdit()) {
    // The user stays with the edit: the box goes back to where it was.
    if (Sender) {
      const QSignalBlocker blocker(Sender);
      Sender->setChecked(!Sender->isChecked());
    }
    return;
  }
  CloseDataSets();
}

bool TFormMain::resolvePendingEdit() {
  for (korvel::db::Dataset* ds : {static_cast<korvel::db::Dataset*>(Table_Paradox),
                                  static_cast<korvel::db::Dataset*>(QueryTmp)}) {
    if (ds->state() != DatasetState::Edit && ds->state() != DatasetState::Insert) continue;
    const int answer = korvel::prompt().message(
        QStringLiteral("編集中のデータがまだ書き込まれていません。書き込みますか？\n"
                       "（いいえ：編集を取り消す　キャンセル：閉じずに編集を続ける）"),
        QStringLiteral("確認"), korvel::PromptIcon::Question,
        korvel::PromptYes | korvel::PromptNo | korvel::PromptCancel);
    if (answer == korvel::PromptCancel) return false;
    if (answer == korvel::PromptNo) {
      ds->cancel();
      continue;
    }
    try {
      ds->post();
    } catch (const EngineError& e) {
      korvel::showError(e.lastMessage());
      return false;
    }
  }
  return true;
}

void TFormMain::Button8Click() {
  try {
    Table_Paradox->post();
  } catch (const EngineError& e) {
    korvel::showError(e.lastMessage());
  }
}

void TFormMain::Button9Click() {
  try {
    Table_Paradox->deleteRecord();
  } catch (const EngineError& e) {
    korvel::showError(e.lastMessage());
  }
}

void TFormMain::ButtonMemo1Click(QPushButton* Sender) {
  CheckBoxQuery->setChecked(false);
  if (CheckBoxQuery->isChecked()) return;  // the user stayed with an unposted edit
  const int index =
      ComboBox_Tables->findText(Sender->text(), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index < 0) return;
  // Selecting the name is no change of table by the user: the open table
  // stays open until the user opens the selected one.
  const QSignalBlocker blocker(ComboBox_Tables);
  ComboBox_Tables->setCurrentIndex(index);
  openTablesText_ = ComboBox_Tables->currentText();
}

void TFormMain::DataSource_ParadoxStateChange() {
  Label_Status->setText(stateName(Table_Paradox->state()));
  ComboBox_Story->addItem(Label_Status->text() + QLatin1Char(':') + clockText("hh:nn:ss"));
  // The box shows its newest line, the one the state label agrees with.
  ComboBox_Story->setCurrentIndex(ComboBox_Story->count() - 1);
  updateWriteButtons();
}

// "書込" and "削除(D)" work on Table_Paradox: they are enabled only while it
// is open and shown, never after a failed open or in query mode.
void TFormMain::updateWriteButtons() {
  const bool tableShown = DataSource_Paradox->dataSet() == Table_Paradox && Table_Paradox->active();
  Button8->setEnabled(tableShown);
  Button9->setEnabled(tableShown);
}

void TFormMain::DataSource_ParadoxDataChange() {
  Label_OnDataChange->setText(QStringLiteral("変更時刻 ") + clockText("hh:nn:ss"));
}

void TFormMain::Table_ParadoxPostError() {
  Label_OnDataChange->setText(QStringLiteral("Error Time ") + clockText("hh:nn:ss"));
}
