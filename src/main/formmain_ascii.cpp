// CSV text tables in the main window: "Ascii Display" shows a CSV file in
// the grid, "ASCII(CSV)->DB" copies a CSV file into the alias as a table,
// "DB->ASCII(CSV)" writes the current table to a CSV file. The file is
// chosen in a file dialog; Table_Ascii is bound to the file's directory and
// name.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include <QStatusBar>

#include "controls/spbtn2.h"
#include "db/batchmove.h"
#include "db/engineerror.h"
#include "db/table.h"
#include "main/formmain.h"
#include "prompt/prompt.h"
#include "ui/datasource.h"
#include "ui/dbgrid.h"
#include "ui/windowhelpers.h"

using korvel::db::BatchMoveResult;
using korvel::db::EngineError;

namespace {

const QString kCsvFilter = QStringLiteral("CSV (*.csv *.CSV);;ALL (*)");

// Binds a text table to a file: its directory is the database.
void bindToFile(korvel::db::Table& table, const QString& file) {
  const QFileInfo info(file);
  table.close();
  table.setDatabaseName(info.absolutePath());
  table.setTableName(info.fileName());
  table.setTableType(korvel::db::TableType::Ascii);
}

}  // namespace

void TFormMain::connectAsciiHandlers() {
  connect(CheckBox_Ascii, &QCheckBox::toggled, this, [this] { CheckBox_AsciiClick(); });
  connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
  connect(Button7, &QPushButton::clicked, this, [this] { Button7Click(); });
}

void TFormMain::CheckBox_AsciiClick() {
  const auto uncheck = [this] {
    const QSignalBlocker blocker(CheckBox_Ascii);
    CheckBox_Ascii->setChecked(false);
  };
  if (!CheckBox_Ascii->isChecked()) {
    DBGrid1->setDataSource(DataSource_Paradox);
    Table_Ascii->close();
    return;
  }
  if (!resolvePendingEdit()) {
    uncheck();
    return;
  }
  const QString file = korvel::prompt().openFileName(QStringLiteral("Ascii Display"), csvFolder_, kCsvFilter);
  if (file.isEmpty()) {
    uncheck();
    return;
  }
  csvFolder_ = QFileInfo(file).absolutePath();
  bindToFile(*Table_Ascii, file);
  try {
    Table_Ascii->open();
  } catch (const EngineError& e) {
    uncheck();
    korvel::showError(e.lastMessage());
    return;
  }
  DBGrid1->setDataSource(DataSource_Ascii);
}

void TFormMain::Button6Click() {
  const QString file = korvel::prompt().openFileName(QStringLiteral("ASCII(CSV)->DB"), csvFolder_, kCsvFilter);
  if (file.isEmpty() || !resolvePendingEdit()) return;
  csvFolder_ = QFileInfo(file).absolutePath();
  CloseDataSets();
  bindToFile(*Table_Ascii, file);
  QString table = ComboBox_Tables->currentText().trimmed();
  if (table.isEmpty()) table = QFileInfo(file).completeBaseName();
  const QString alias = ComboBox_Alias->currentText();
  Table_Paradox->setDatabaseName(alias);
  Table_Paradox->setTableName(table);
  if (!runBatchMove(*Table_Ascii, *Table_Paradox)) return;
  // The new table joins the list and is the one chosen.
  ButtonGetTblNMClick();
  const QSignalBlocker blocker(ComboBox_Tables);
  ComboBox_Tables->setEditText(table);
}

void TFormMain::Button7Click() {
  const QString table = ComboBox_Tables->currentText().trimmed();
  if (table.isEmpty()) {
    korvel::showError(QStringLiteral("複写するテーブルを指定して下さい"));
    return;
  }
  if (!resolvePendingEdit()) return;
  const QString proposed = QDir(csvFolder_).filePath(QFileInfo(table).completeBaseName() + QStringLiteral(".csv"));
  const QString file = korvel::prompt().saveFileName(QStringLiteral("DB->ASCII(CSV)"), proposed, kCsvFilter);
  if (file.isEmpty()) return;
  csvFolder_ = QFileInfo(file).absolutePath();
  Table_Paradox->setDatabaseName(ComboBox_Alias->currentText());
  Table_Paradox->setTableName(table);
  bindToFile(*Table_Ascii, file);
  runBatchMove(*Table_Paradox, *Table_Ascii);
}

bool TFormMain::runBatchMove(korvel::db::Table& source, korvel::db::Table& destination) {
  SpeedButtonAbort->SetDown(false);
  SpeedButtonAbort->show();
  const auto progress = [this](int64_t copied, int64_t total) {
    StatusPanel1->setText(total >= 0 ? QStringLiteral("複写中 %1 / %2 件").arg(copied).arg(total)
                                     : QStringLiteral("複写中 %1 件").arg(copied));
    QApplication::processEvents();  // lets the abort button be pressed
    return !SpeedButtonAbort->Down();
  };
  korvel::db::BatchMoveOutcome outcome;
  try {
    outcome = korvel::db::batchMove(source, destination, progress);
  } catch (const EngineError& e) {
    SpeedButtonAbort->hide();
    StatusPanel1->clear();
    korvel::showError(e.lastMessage());
    return false;
  }
  SpeedButtonAbort->hide();
  SpeedButtonAbort->SetDown(false);
  switch (outcome.result) {
    case BatchMoveResult::Copied:
      StatusPanel1->setText(QStringLiteral("%1 件のデータを複写しました").arg(outcome.rows));
      return true;
    case BatchMoveResult::Declined:
      Qz_ShowStatus(QStringLiteral("複写を取り止めました"), StatusBar1);
      return false;
    case BatchMoveResult::Stopped:
      Qz_ShowStatus(QStringLiteral("複写を中止しました（複写先は元のままです）"), StatusBar1);
      return false;
  }
  return false;
}
