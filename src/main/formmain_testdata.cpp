// "Data作成": rows of test data appended to, or written over, the open table
// or query from the format grid; and "件数確認", the record count.

#include <QCheckBox>
#include <QLabel>
#include <QSqlDatabase>
#include <vector>

#include "common/codepage.h"
#include "common/datetime.h"
#include "common/formats.h"
#include "controls/combogrid.h"
#include "controls/numedit.h"
#include "db/engine.h"
#include "db/query.h"
#include "db/table.h"
#include "main/formmain.h"
#include "main/testdata.h"
#include "ui/datasource.h"
#include "prompt/prompt.h"

namespace {

int numberOrZero(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  return ok ? value : 0;
}

// Generation posts many rows: one transaction spares a disk sync per row.
// Where the driver has none, rows are committed one by one as posted.
class GenerationTransaction {
 public:
  explicit GenerationTransaction(const QString& alias) {
    try {
      db_ = korvel::db::Engine::instance().connection(alias);
      open_ = db_.transaction();
    } catch (const korvel::db::EngineError&) {
      open_ = false;  // the dataset's own error will tell the user
    }
  }
  // Whatever happens, the rows posted so far are kept.
  ~GenerationTransaction() {
    if (open_) db_.commit();
  }

 private:
  QSqlDatabase db_;
  bool open_ = false;
};

// One column of a run: its settings in code page 932, the previous value
// (written back into the grid's row 2 as well) and its field, looked up by
// the column's name when first assigned.
struct ColumnRun {
  ColumnRun(const TComboGrid& grid, int column)
      : col(column),
        fieldName(grid.Cells(column, 0)),
        settings{korvel::toCp932(grid.Cells(column, 1)), korvel::toCp932(grid.Cells(column, 2)),
                 korvel::toCp932(grid.Cells(column, 3)), korvel::toCp932(grid.Cells(column, 4))} {}

  std::string next() {
    settings.initial = korvel::nextTestValue(settings);
    return settings.initial;
  }

  int col;
  QString fieldName;
  korvel::TestDataColumn settings;
  korvel::db::Field* field = nullptr;
};

}  // namespace

void TFormMain::SpeedButtonDMakeClick() {
  const int first = std::max(1, numberOrZero(NumEditFirst->text()));
  const int last = std::max(first, numberOrZero(NumEditEnd->text()));
  const bool append = CheckBoxDApp->isChecked();
  korvel::db::Dataset* ds = currentDataSet();
  const int columns = std::min(ComboGrid1->ColCount() - 1, ds->active() ? ds->fieldCount() : 0);

  // The grid is detached while rows are generated and shown again after.
  struct ControlsOff {
    korvel::ui::DataSource* source;
    explicit ControlsOff(korvel::ui::DataSource* s) : source(s) { source->disableControls(); }
    ~ControlsOff() { source->enableControls(); }
  } controlsOff(DataSource_Paradox);

  // The format grid does not change during a run, except row 2, which is
  // written back with every value: read each column's settings once.
  std::vector<ColumnRun> runs;
  ComboGrid1->setUpdatesEnabled(false);
  try {
    for (int c = 1; c <= columns; ++c)
      if (!ComboGrid1->Cells(c, 2).isEmpty()) runs.emplace_back(*ComboGrid1, c);
    GenerationTransaction transaction(ds->databaseName());
    append ? ds->last() : ds->first();
    for (int k = 1; k <= last; ++k) {
      if (append) {
        ds->append();
      } else {
        if (ds->eof()) break;
        if (k < first) {
          ds->next();
          continue;
        }
        ds->edit();
      }
      for (ColumnRun& run : runs) {
        const QString value = korvel::fromCp932(run.next());
        if (!run.field) run.field = &ds->fieldByName(run.fieldName);
        run.field->setEditText(value);
        ComboGrid1->SetCells(run.col, 2, value);
      }
      ds->post();
      ds->next();
    }
  } catch (const korvel::db::EngineError& e) {
    korvel::showError(e.lastMessage());
  } catch (const std::exception& e) {
    // Format, conversion, overflow and code page errors end the run.
    // Exception texts are UTF-8.
    korvel::showError(QString::fromUtf8(e.what()));
  }

  ComboGrid1->setUpdatesEnabled(true);

  if (ds == QueryTmp && append) {
    try {
      QueryTmp->close();
      QueryTmp->unprepare();
      QueryTmp->prepare();
      QueryTmp->open();
    } catch (const korvel::db::EngineError& e) {
      korvel::showError(e.lastMessage());
    }
  }
}

void TFormMain::SpeedButtonKensuClick() {
  korvel::db::Dataset* ds =
      DataSource_Paradox->dataSet() == QueryTmp ? static_cast<korvel::db::Dataset*>(QueryTmp)
                                                : Table_Paradox;
  if (!ds->active()) return;
  try {
    LabelKensu->setText(QString::number(ds->recordCount()));
  } catch (const korvel::db::EngineError& e) {
    korvel::showError(e.lastMessage());
  }
}
