#include "db/batchmove.h"

#include "common/codepage.h"
#include "db/batchprogress.h"
#include "db/batchrows.h"
#include "db/bytecopy.h"
#include "db/batchspool.h"
#include "db/table.h"
#include "prompt/prompt.h"

namespace korvel::db {
namespace {

using local::LocalColumn;
using local::LocalRow;
using local::LocalTableDef;

// The destination's definition: the source's columns with its key fields
// first (the order table files need), and where each comes from.
LocalTableDef destinationDef(const RowReader& reader, std::vector<int>& order) {
  LocalTableDef def;
  order.clear();
  const auto& columns = reader.columns();
  for (const QString& name : reader.key())
    for (size_t i = 0; i < columns.size(); ++i)
      if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0) order.push_back(static_cast<int>(i));
  def.keyColumns = static_cast<int>(order.size());
  for (size_t i = 0; i < columns.size(); ++i)
    if (std::find(order.begin(), order.end(), static_cast<int>(i)) == order.end()) order.push_back(static_cast<int>(i));
  for (int i : order) def.columns.push_back(columns[static_cast<size_t>(i)]);
  return def;
}

// Text fields of no stated size (a CSV file without schema) are measured,
// so that a Paradox table gets text fields that hold the longest value, or
// memo fields for values longer than a text field can be.
void sizeTextFields(RowReader& reader, LocalTableDef& def, const std::vector<int>& order) {
  std::vector<int> longest(def.columns.size(), 0);
  bool unsized = false;
  for (const LocalColumn& column : def.columns) unsized = unsized || (column.kind == FieldKind::String && column.size <= 0);
  if (!unsized) return;
  LocalRow row;
  while (reader.next(row))
    for (size_t i = 0; i < def.columns.size(); ++i) {
      const QVariant& value = row.value(order[i]);
      if (def.columns[i].kind != FieldKind::String || def.columns[i].size > 0 || value.isNull()) continue;
      std::string bytes;
      const int length = tryToCp932(value.toString(), bytes) ? static_cast<int>(bytes.size()) : 256;
      longest[i] = std::max(longest[i], length);
    }
  reader.restart();
  for (size_t i = 0; i < def.columns.size(); ++i) {
    LocalColumn& column = def.columns[i];
    if (column.kind != FieldKind::String || column.size > 0) continue;
    if (longest[i] > 255 && static_cast<int>(i) >= def.keyColumns) column.kind = FieldKind::Memo;
    else column.size = std::clamp(longest[i], 1, 255);
  }
}

bool confirmReplacing(const Destination& destination) {
  const QString text = QStringLiteral("複写先のテーブル %1 には %2 件のデータがあります。\r\n"
                                      "置き換えると、そのデータは失われます。置き換えますか？")
                           .arg(destination.description)
                           .arg(destination.rows);
  return prompt().message(text, QStringLiteral("確認"), PromptIcon::Question,
                          PromptYes | PromptNo | promptDefault(PromptNo)) == PromptYes;
}

// Every row of `reader` into `writer` in the destination's column order
// (not yet committed), unless stopped through `progress`.
BatchMoveOutcome copyRows(RowReader& reader, RowWriter& writer, const std::vector<int>& order, ProgressTeller& teller) {
  LocalRow row, ordered(static_cast<int>(order.size()));
  int64_t copied = 0;
  while (reader.next(row)) {
    for (size_t i = 0; i < order.size(); ++i) ordered[static_cast<int>(i)] = row.value(order[i]);
    writer.append(ordered, copied);
    ++copied;
    if (!teller.rowCopied(copied)) return BatchMoveOutcome{BatchMoveResult::Stopped, copied};
  }
  if (!teller.finished(copied)) return BatchMoveOutcome{BatchMoveResult::Stopped, copied};
  return BatchMoveOutcome{BatchMoveResult::Copied, copied};
}

}  // namespace

BatchMoveOutcome batchMove(Table& source, Table& destination, const BatchMoveProgress& progress, BatchMoveWay way) {
  destination.close();
  std::unique_ptr<RowReader> reader = openRowReader(source);
  std::vector<int> order;
  LocalTableDef def = destinationDef(*reader, order);
  const Destination target = inspectDestination(destination);
  if (target.identity == reader->identity())
    throw EngineError(QStringList{QStringLiteral("Cannot copy %1").arg(source.tableName()),
                                  QStringLiteral("the source and the destination are the same table")});
  if (target.exists && target.rows > 0 && !confirmReplacing(target)) return {BatchMoveResult::Declined, 0};
  if (target.isParadox) sizeTextFields(*reader, def, order);
  const int64_t total = progress ? reader->total() : -1;
  // A source on the destination's connection that cannot be read while the
  // destination is written is read whole first (nothing is copied yet).
  if (target.connection == reader->connection() && !reader->readsBesideStatements()) {
    reader = spoolRows(*reader, [&](int64_t) { return !progress || progress(0, total); });
    if (!reader) return {BatchMoveResult::Stopped, 0};
  }
  // Rows already in the files' key order need no sorting on the way.
  bool keyFirst = true;
  for (int i = 0; i < def.keyColumns; ++i) keyFirst = keyFirst && order[static_cast<size_t>(i)] == i;
  const bool inKeyOrder = target.isFile && keyFirst && reader->inFileKeyOrder();
  // A table of SQL read in key order mostly comes in the files' order too:
  // the rows are then written straight on instead of sorted through a
  // temporary file, and sorted after all should the order break.
  bool expectKeyOrder = target.isFile && def.keyColumns > 0 && !inKeyOrder && reader->readInKeyOrder(true);

  for (;;) {
    std::unique_ptr<RowWriter> writer = createRowWriter(destination, def, inKeyOrder, expectKeyOrder);
    try {
      ProgressTeller teller(progress, total);
      std::optional<BatchMoveOutcome> outcome;
      if (way == BatchMoveWay::Fastest) outcome = copyBytes(*reader, *writer, def, order, teller);
      if (!outcome) outcome = copyRows(*reader, *writer, order, teller);
      if (outcome->result == BatchMoveResult::Copied) writer->commit();
      return *outcome;
    } catch (const local::RowsOutOfKeyOrder&) {
      writer.reset();  // removes what it wrote
      reader->readInKeyOrder(false);
      expectKeyOrder = false;
    }
  }
}

}  // namespace korvel::db
