#pragma once
// One worksheet written into an Excel workbook (.xlsx) through libxlsxwriter.
// The workbook is written under a temporary name in the target's folder and
// renamed over the target only when it is complete: a failed or abandoned
// write leaves the old file (or none) in place, never a half-written one.
// Rows are written in order, one after another, so memory stays flat
// however many rows there are.

#include <QString>
#include <stdexcept>

class QDate;
class QDateTime;
class QTime;
struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace korvel {

// what() is UTF-8 text for the user.
class WorkbookError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class WorkbookFile {
 public:
  static constexpr int kMaxRows = 1048576;

  // WorkbookError when the temporary file cannot be made.
  explicit WorkbookFile(const QString& path);
  // Removes the temporary file unless commit() put it in place.
  ~WorkbookFile();
  WorkbookFile(const WorkbookFile&) = delete;
  WorkbookFile& operator=(const WorkbookFile&) = delete;

  // Cells, by 0-based row and column; rows in ascending order. WorkbookError
  // when Excel cannot hold the cell (a text over 32767 characters, a row past
  // the last).
  void text(int row, int col, const QString& value);
  void number(int row, int col, double value);
  void boolean(int row, int col, bool value);
  // Dates and times as Excel serial numbers with a date or time format;
  // a date Excel cannot show (before 1900-03-01) is written as text.
  void date(int row, int col, const QDate& value);
  void dateTime(int row, int col, const QDateTime& value);
  void time(int row, int col, const QTime& value);

  // Completes the workbook and renames it over the target. WorkbookError on
  // failure (the target is then untouched).
  void commit();

 private:
  void check(int error, int row, int col) const;

  QString target_;
  QString temp_;
  lxw_workbook* book_ = nullptr;
  lxw_worksheet* sheet_ = nullptr;
  lxw_format* dateFormat_ = nullptr;
  lxw_format* dateTimeFormat_ = nullptr;
  lxw_format* timeFormat_ = nullptr;
  bool committed_ = false;
};

}  // namespace korvel
