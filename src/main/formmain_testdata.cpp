// "Data作成": rows of test data appended to, or written over, the open table
// or query from the format grid.

#include <QCheckBox>
#include <QLabel>
#include <optional>
#include <vector>

#include "common/codepage.h"
#include "controls/combogrid.h"
#include "controls/numedit.h"
#include "db/query.h"
#include "db/table.h"
#include "db/writerun.h"
#include "main/formmain.h"
#include "main/testdata.h"
#include "prompt/prompt.h"
#include "ui/application.h"
#include "ui/datasource.h"

using korvel::db::Dataset;
using korvel::db::EngineError;
using korvel::db::WriteRun;

namespace {

// A record number of "開始" or "作成件数": empty counts as 0. The boxes take
// whole numbers of at most nine digits, so the number shown is the number
// used; a text that is still no such number (set by other code) is refused
// (nullopt) with a message naming the box rather than run at another size.
std::optional<int> recordNumber(const TNumEdit* edit, const QString& caption) {
  const QString text = edit->text().trimmed();
  if (text.isEmpty()) return 0;
  bool ok = false;
  const int value = text.toInt(&ok);
  if (ok && value >= 0) return value;
  korvel::showError(QStringLiteral("*E:%1には0以上の整数を入力してください (%2)").arg(caption, text));
  return std::nullopt;
}

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

// The generation of one run: the columns to fill, the grid their values
// are written back to, and the run of writes the records are posted in.
struct Generation {
  Dataset& ds;
  TComboGrid& grid;
  std::vector<ColumnRun>& columns;
  WriteRun& writes;

  // Assigns each column's next value to its field of the record being
  // edited or appended and writes it back into the grid's row 2.
  void fillRecord() {
    for (ColumnRun& run : columns) {
      const QString value = korvel::fromCp932(run.next());
      if (!run.field) run.field = &ds.fieldByName(run.fieldName);
      run.field->setEditText(value);
      grid.SetCells(run.col, 2, value);
    }
  }

  void post() {
    writes.row([this] { ds.post(); });
  }

  // The cursor is at the last record.
  void append(int count) {
    for (int k = 1; k <= count; ++k) {
      ds.append();
      fillRecord();
      post();
      ds.next();
    }
  }

  // Records first..last (1-based), as many as there are. The records of the
  // range are located before any is edited: an edit that changes a key
  // moves its record, and walking the rows while editing would then skip
  // some records and edit others twice. The cursor is at the first record.
  void overwrite(int first, int last) {
    std::vector<Dataset::Bookmark> range;
    for (int k = 1; k <= last && !ds.eof(); ++k) {
      if (k >= first) range.push_back(ds.bookmark());
      ds.next();
    }
    for (const Dataset::Bookmark& mark : range) {
      if (!ds.gotoBookmark(mark))
        throw EngineError(QStringLiteral("*E:上書きするレコードが見つかりません（削除されています）"));
      ds.edit();
      fillRecord();
      post();
    }
  }
};

QString commitFailure(const EngineError& e) {
  return QStringLiteral("*E:作成したデータを確定できませんでした。今回作成した分は書き込まれていません。(") +
         e.lastMessage() + QLatin1Char(')');
}

}  // namespace

void TFormMain::SpeedButtonDMakeClick() {
  const std::optional<int> firstNumber = recordNumber(NumEditFirst, Label3->text());
  if (!firstNumber) return;
  const std::optional<int> lastNumber = recordNumber(NumEditEnd, Label4->text());
  if (!lastNumber) return;
  const int first = std::max(1, *firstNumber);
  const int last = std::max(first, *lastNumber);
  const bool append = CheckBoxDApp->isChecked();
  Dataset* ds = currentDataSet();
  const int columnCount = std::min(ComboGrid1->ColCount() - 1, ds->active() ? ds->fieldCount() : 0);

  // The grid is detached while rows are generated and shown again after.
  struct ControlsOff {
    korvel::ui::DataSource* source;
    explicit ControlsOff(korvel::ui::DataSource* s) : source(s) { source->disableControls(); }
    ~ControlsOff() { source->enableControls(); }
  } controlsOff(DataSource_Paradox);

  QStringList problems;  // shown once the rows are committed
  bool completed = false;
  bool kept = true;
  ComboGrid1->setUpdatesEnabled(false);
  try {
    // The format grid does not change during a run, except row 2, which is
    // written back with every value: read each column's settings once.
    std::vector<ColumnRun> columns;
    for (int c = 1; c <= columnCount; ++c)
      if (!ComboGrid1->Cells(c, 2).isEmpty()) columns.emplace_back(*ComboGrid1, c);
    append ? ds->last() : ds->first();
    WriteRun writes(ds->databaseName());
    Generation generation{*ds, *ComboGrid1, columns, writes};
    try {
      append ? generation.append(last) : generation.overwrite(first, last);
      completed = true;
    } catch (...) {
      // Format, conversion, overflow and refused rows end the run; the
      // records posted before stay. Anything else goes on to the
      // application once the rows are committed.
      problems << korvel::ui::exceptionText(std::current_exception());
    }
    kept = writes.open();
    if (kept) {
      try {
        writes.commit();
      } catch (const EngineError& e) {
        problems << commitFailure(e);
        kept = false;
      }
    }
  } catch (const std::exception&) {
    problems << korvel::ui::exceptionText(std::current_exception());
  }
  ComboGrid1->setUpdatesEnabled(true);

  if (!kept) {
    // The run's rows are gone: the grid must not show them.
    try {
      ds->cancel();
      ds->refresh();
    } catch (const EngineError& e) {
      problems << e.lastMessage();
    }
  }
  for (const QString& problem : problems) korvel::showError(problem);

  if (ds == QueryTmp && append && completed) {
    try {
      QueryTmp->close();
      QueryTmp->unprepare();
      QueryTmp->prepare();
      QueryTmp->open();
    } catch (const EngineError& e) {
      korvel::showError(e.lastMessage());
    }
  }
}
