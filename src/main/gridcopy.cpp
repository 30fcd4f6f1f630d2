#include "main/gridcopy.h"

#include "db/dataset.h"
#include "main/cliptext.h"

namespace korvel {

void ClipTextSink::titles(const QStringList& labels) { text_ += gridTitleLine(labels); }

void ClipTextSink::comments(const QStringList& comments) { text_ += gridCellsLine(comments); }

void ClipTextSink::record(korvel::db::Dataset& ds, const std::vector<int>& fields) {
  cells_.clear();
  for (int f : fields) cells_ << ds.field(f).editText();
  text_ += gridCellsLine(cells_);
}

std::optional<QStringList> formatGridComments(const QStringList& labels, const QStringList& gridNames,
                                              const QStringList& gridComments) {
  if (labels.isEmpty() || gridNames.isEmpty() || gridComments.isEmpty()) return std::nullopt;
  if (gridNames[0] != labels[0] || gridComments[0].isEmpty()) return std::nullopt;
  QStringList comments;
  for (const QString& label : labels) {
    const qsizetype column = gridNames.indexOf(label);
    comments << (column >= 0 && column < gridComments.size() ? gridComments[column] : QString());
  }
  return comments;
}

int copyGridRecords(korvel::db::Dataset& ds, const std::vector<int>& fields, int limit,
                    GridCopySink& sink, const std::function<bool(int)>& keepGoing) {
  int copied = 0;
  while (!ds.eof() && copied < limit) {
    if (!keepGoing(copied)) break;
    sink.record(ds, fields);
    ++copied;
    ds.next();
  }
  return copied;
}

}  // namespace korvel
