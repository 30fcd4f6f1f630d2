#pragma once
// Statement files of the SQL editor: CP932 text lines, optionally preceded by
// a "//[DataSource]" line that names the alias.

#include <QList>
#include <QString>
#include <QStringList>

namespace korvel::sqleditor {

inline constexpr const char* kDataSourceHeader = "//[DataSource]";
inline constexpr const char* kEmptyLineMark = "---";

// The lines a statement file holds for the memo's lines: with the alias line,
// the header comes first and every empty statement line becomes "---";
// without it the lines are kept as they are. A "//[DataSource]" line that
// heads the memo (read from a file) is replaced by the new header rather
// than kept under it, so a file gains no header on each Read and Write.
QStringList statementFileLines(const QStringList& memoLines, bool withAlias,
                               const QString& alias);

struct StatementFileRead {
  bool ok = false;
  QStringList lines;
  QList<int> damagedLines;  // 1-based numbers of lines with undecodable bytes
  QString error;            // why the file could not be read
};

// Reads every line. Line breaks may be CR LF, LF or CR; a final break does
// not start another line. Bytes that are not CP932 text, NUL among them, are
// shown as U+FFFD and their line is listed in damagedLines.
StatementFileRead readStatementFile(const QString& path);

// Writes the lines as CP932 with CR LF line ends, replacing the file. Nothing
// is written when a line holds a character without a CP932 form or the file
// cannot be written; `error` then says why.
bool writeStatementFile(const QString& path, const QStringList& lines,
                        QString& error);

}  // namespace korvel::sqleditor
