#include "main/gridpaste.h"

#include "db/dataset.h"
#include "db/engineerror.h"
#include "db/writerun.h"

namespace korvel {
namespace {

using korvel::db::Dataset;
using korvel::db::EngineError;

QString errorText(const std::exception& e) {
  if (const auto* engine = dynamic_cast<const EngineError*>(&e)) return engine->lastMessage();
  return QString::fromUtf8(e.what());
}

// The cells of one record into the fields from the start column on.
void fillRecord(Dataset& ds, const PasteTarget& target, const QStringList& cells) {
  const int columns = static_cast<int>(target.columns.size());
  int column = target.startColumn;
  for (int i = 0; i < cells.size(); ++i, ++column) {
    if (column >= columns) {
      // The tab after a line's last cell leaves an empty cell behind it.
      if (i == cells.size() - 1 && cells[i].isEmpty()) return;
      if (target.skipMode) return;
      throw EngineError(QStringLiteral("貼り付けるデータの列数が表の列数を超えています(%1列目から%2列)")
                            .arg(target.startColumn + 1)
                            .arg(cells.size()));
    }
    ds.edit();
    ds.field(target.columns[column]).setEditText(cells[i]);
  }
}

bool anyCells(const QList<QStringList>& records, int from) {
  for (int r = from; r < records.size(); ++r)
    if (!records[r].isEmpty()) return true;
  return false;
}

}  // namespace

PasteOutcome pasteRecords(const PasteTarget& target, const QList<QStringList>& records) {
  PasteOutcome out;
  Dataset& ds = *target.dataset;
  if (records.isEmpty()) return out;
  int line = 1;  // the line being written, 1-based
  try {
    korvel::db::WriteRun run(ds.databaseName());
    try {
      for (int r = 0; r < records.size(); ++r) {
        if (r > 0) {
          line = r;  // posting the record of the line before
          run.row([&] { ds.post(); });
          ++out.recordsPosted;
          ds.next();
          if (ds.eof()) {
            if (anyCells(records, r))
              out.problem = QStringLiteral("*E:貼り付け先のレコードが足りません。%1行目から%2行目までは貼り付けていません")
                                .arg(r + 1)
                                .arg(records.size());
            break;
          }
        }
        line = r + 1;
        fillRecord(ds, target, records[r]);
      }
    } catch (const std::exception& e) {
      // The record that failed is not left half-filled.
      ds.cancel();
      if (run.open()) {
        out.problem = QStringLiteral("*E:%1行目を貼り付けられませんでした。それより前の%2行は書き込みました。(%3)")
                          .arg(line)
                          .arg(out.recordsPosted)
                          .arg(errorText(e));
      } else {
        out.rolledBack = true;
        out.recordsPosted = 0;
        out.problem = QStringLiteral("*E:%1行目を貼り付けられませんでした。データベースが今回の書き込みをすべて取り消しました。(%2)")
                          .arg(line)
                          .arg(errorText(e));
        return out;
      }
    }
    run.commit();
  } catch (const EngineError& e) {
    out.rolledBack = true;
    out.recordsPosted = 0;
    out.problem = QStringLiteral("*E:貼り付けたデータを確定できませんでした。今回貼り付けた分は書き込まれていません。(%1)")
                      .arg(e.lastMessage());
  }
  return out;
}

}  // namespace korvel
