#pragma once
// The grid copy: a title row, an optional comment row and the records of a
// dataset from its current record on, handed to a sink that writes them
// (clipboard text, a workbook).

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace korvel::db { class Dataset; }

namespace korvel {

class GridCopySink {
 public:
  virtual ~GridCopySink() = default;
  virtual void titles(const QStringList& labels) = 0;
  virtual void comments(const QStringList& comments) = 0;
  // The dataset's current record, its fields in the order given.
  virtual void record(korvel::db::Dataset& ds, const std::vector<int>& fields) = 0;
};

// Clipboard text: the title line, the comment line and a line per record,
// each cell as its edit text (gridTitleLine, gridCellsLine).
class ClipTextSink final : public GridCopySink {
 public:
  void titles(const QStringList& labels) override;
  void comments(const QStringList& comments) override;
  void record(korvel::db::Dataset& ds, const std::vector<int>& fields) override;
  const QString& text() const { return text_; }

 private:
  QString text_;
  QStringList cells_;
};

// The comment of each label from the format grid's name row and comment
// row (both from its column 1 on). None when the format grid does not
// belong to these fields: its first name is not the first label, or its
// first comment is empty. A label the grid does not name gets an empty
// comment, so every comment stays under its own column.
std::optional<QStringList> formatGridComments(const QStringList& labels, const QStringList& gridNames,
                                              const QStringList& gridComments);

// Hands up to `limit` records to the sink, from the current record on,
// moving the cursor; it ends on the record after the last one handed (or at
// the end). keepGoing(copied) is asked before each record; false stops the
// copy. Returns the number of records handed.
int copyGridRecords(korvel::db::Dataset& ds, const std::vector<int>& fields, int limit,
                    GridCopySink& sink, const std::function<bool(int copied)>& keepGoing);

}  // namespace korvel
