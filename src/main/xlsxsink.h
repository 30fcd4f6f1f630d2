#pragma once
// The grid copy into a workbook: the title row, the comment row, then one
// row per record with each value in its own type (numbers as numbers, dates
// and times as dates with a date format, booleans as booleans, the rest as
// text). A number a double cannot hold exactly (more than 15 digits) is
// written as text, so no digit is lost.

#include "main/gridcopy.h"

namespace korvel {

class WorkbookFile;

class XlsxGridSink final : public GridCopySink {
 public:
  explicit XlsxGridSink(WorkbookFile& book) : book_(book) {}
  void titles(const QStringList& labels) override;
  void comments(const QStringList& comments) override;
  void record(korvel::db::Dataset& ds, const std::vector<int>& fields) override;

 private:
  void textRow(const QStringList& cells);

  WorkbookFile& book_;
  int row_ = 0;
};

}  // namespace korvel
