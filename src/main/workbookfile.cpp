#include "main/workbookfile.h"

#include <sys/stat.h>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTime>
#include <cstdio>

#include <xlsxwriter.h>

namespace korvel {
namespace {

// Excel counts days from 1899-12-30 (the 1900 leap-year slip makes that the
// right origin from 1900-03-01 on).
const QDate kExcelOrigin(1899, 12, 30);
const QDate kFirstExcelDate(1900, 3, 1);

double dayFraction(const QTime& time) { return time.msecsSinceStartOfDay() / 86400000.0; }

WorkbookError error(const QString& text) { return WorkbookError(text.toStdString()); }

// The file the target names: a symbolic link is followed, so the link stays.
QString resolvedTarget(const QString& path) {
  const QFileInfo info(path);
  if (info.isSymLink()) return info.symLinkTarget();
  return info.absoluteFilePath();
}

// New files get the permissions a newly created file would have.
QFile::Permissions newFilePermissions() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const mode_t mode = 0666 & ~mask;
  QFile::Permissions p;
  if (mode & S_IRUSR) p |= QFile::ReadOwner | QFile::ReadUser;
  if (mode & S_IWUSR) p |= QFile::WriteOwner | QFile::WriteUser;
  if (mode & S_IRGRP) p |= QFile::ReadGroup;
  if (mode & S_IWGRP) p |= QFile::WriteGroup;
  if (mode & S_IROTH) p |= QFile::ReadOther;
  if (mode & S_IWOTH) p |= QFile::WriteOther;
  return p;
}

}  // namespace

WorkbookFile::WorkbookFile(const QString& path) : target_(resolvedTarget(path)) {
  const QFileInfo info(target_);
  QTemporaryFile reserve(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                         QStringLiteral(".XXXXXX"));
  reserve.setAutoRemove(false);
  if (!reserve.open())
    throw error(QStringLiteral("*E:%1 に一時ファイルを作れません(%2)").arg(info.absolutePath(), reserve.errorString()));
  temp_ = reserve.fileName();
  reserve.close();

  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  const QByteArray name = QFile::encodeName(temp_);
  book_ = workbook_new_opt(name.constData(), &options);
  if (book_) sheet_ = workbook_add_worksheet(book_, nullptr);
  if (!book_ || !sheet_) {
    QFile::remove(temp_);
    throw error(QStringLiteral("*E:Excelファイルを作れません: %1").arg(path));
  }
  dateFormat_ = workbook_add_format(book_);
  format_set_num_format(dateFormat_, "yyyy/mm/dd");
  dateTimeFormat_ = workbook_add_format(book_);
  format_set_num_format(dateTimeFormat_, "yyyy/mm/dd hh:mm:ss");
  timeFormat_ = workbook_add_format(book_);
  format_set_num_format(timeFormat_, "hh:mm:ss");
}

WorkbookFile::~WorkbookFile() {
  if (committed_) return;
  // Closing is the only way to release the library's memory; what it wrote
  // is removed right after.
  if (book_) workbook_close(book_);
  QFile::remove(temp_);
}

void WorkbookFile::check(int code, int row, int col) const {
  if (code == LXW_NO_ERROR) return;
  QString why = QString::fromUtf8(lxw_strerror(static_cast<lxw_error>(code)));
  if (code == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED)
    why = QStringLiteral("文字列がExcelの上限(32767文字)を超えています");
  else if (code == LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE)
    why = QStringLiteral("Excelのシートに入る行数(%1行)を超えています").arg(kMaxRows);
  throw error(QStringLiteral("*E:%1行目 %2列目をExcelファイルに書けません: %3").arg(row + 1).arg(col + 1).arg(why));
}

void WorkbookFile::text(int row, int col, const QString& value) {
  const QByteArray utf8 = value.toUtf8();
  check(worksheet_write_string(sheet_, row, col, utf8.constData(), nullptr), row, col);
}

void WorkbookFile::number(int row, int col, double value) {
  check(worksheet_write_number(sheet_, row, col, value, nullptr), row, col);
}

void WorkbookFile::boolean(int row, int col, bool value) {
  check(worksheet_write_boolean(sheet_, row, col, value ? 1 : 0, nullptr), row, col);
}

void WorkbookFile::date(int row, int col, const QDate& value) {
  if (value < kFirstExcelDate) return text(row, col, value.toString(QStringLiteral("yyyy/MM/dd")));
  check(worksheet_write_number(sheet_, row, col, kExcelOrigin.daysTo(value), dateFormat_), row, col);
}

void WorkbookFile::dateTime(int row, int col, const QDateTime& value) {
  if (value.date() < kFirstExcelDate)
    return text(row, col, value.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
  const double serial = kExcelOrigin.daysTo(value.date()) + dayFraction(value.time());
  check(worksheet_write_number(sheet_, row, col, serial, dateTimeFormat_), row, col);
}

void WorkbookFile::time(int row, int col, const QTime& value) {
  check(worksheet_write_number(sheet_, row, col, dayFraction(value), timeFormat_), row, col);
}

void WorkbookFile::commit() {
  const lxw_error closed = workbook_close(book_);
  book_ = nullptr;
  if (closed != LXW_NO_ERROR)
    throw error(QStringLiteral("*E:Excelファイルを書き終えられません: %1").arg(QString::fromUtf8(lxw_strerror(closed))));
  const QFile::Permissions permissions =
      QFile::exists(target_) ? QFile::permissions(target_) : newFilePermissions();
  QFile::setPermissions(temp_, permissions);
  if (std::rename(QFile::encodeName(temp_).constData(), QFile::encodeName(target_).constData()) != 0)
    throw error(QStringLiteral("*E:%1 に書き込めません").arg(target_));
  committed_ = true;
}

}  // namespace korvel
