#include "sqleditor/statementfile.h"

#include <QFile>
#include <QSaveFile>
#include <string>
#include <string_view>
#include <vector>

#include "common/codepage.h"
#include "sqleditor/memolines.h"

namespace korvel::sqleditor {

QStringList statementFileLines(const QStringList& memoLines, bool withAlias,
                               const QString& alias) {
  if (!withAlias) return memoLines;
  QStringList out;
  out.reserve(memoLines.size() + 1);
  out.append(QLatin1String(kDataSourceHeader) + alias);
  const bool headed = !memoLines.isEmpty() &&
                      memoLines.first().startsWith(QLatin1String(kDataSourceHeader),
                                                   Qt::CaseInsensitive);
  for (qsizetype i = headed ? 1 : 0; i < memoLines.size(); ++i) {
    const QString& line = memoLines[i];
    out.append(line.isEmpty() ? QString::fromLatin1(kEmptyLineMark) : line);
  }
  return out;
}

namespace {

// Splits bytes at CR LF, LF or CR. CP932 trail bytes are never below 0x40,
// so a line break byte is always a line break.
std::vector<std::string_view> splitByteLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    lines.push_back(bytes.substr(start, i - start));
    i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

}  // namespace

StatementFileRead readStatementFile(const QString& path) {
  StatementFileRead result;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.error = QStringLiteral("*E:ファイルが読めません。(%1: %2)")
                       .arg(path, file.errorString());
    return result;
  }
  const QByteArray data = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    result.error = QStringLiteral("*E:ファイルが読めません。(%1: %2)")
                       .arg(path, file.errorString());
    return result;
  }
  const auto byteLines =
      splitByteLines(std::string_view(data.constData(), static_cast<size_t>(data.size())));
  for (size_t i = 0; i < byteLines.size(); ++i) {
    int firstBad = -1;
    QString line = fromCp932(byteLines[i], &firstBad);
    // A NUL is no text either, and a statement holding one would later be
    // cut short at it when run.
    const bool holdsNul = line.contains(QChar(0));
    if (holdsNul) line.replace(QChar(0), QChar(0xFFFD));
    result.lines.append(line);
    if (firstBad >= 0 || holdsNul) result.damagedLines.append(static_cast<int>(i) + 1);
  }
  result.ok = true;
  return result;
}

bool writeStatementFile(const QString& path, const QStringList& lines,
                        QString& error) {
  std::vector<std::string> bytes;
  if (!linesToCp932(lines, bytes, error)) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    error = QStringLiteral("*E:ファイルに書けません。(%1: %2)").arg(path, file.errorString());
    return false;
  }
  for (const std::string& line : bytes) {
    file.write(line.data(), static_cast<qint64>(line.size()));
    file.write("\r\n", 2);
  }
  if (!file.commit()) {
    error = QStringLiteral("*E:ファイルに書けません。(%1: %2)").arg(path, file.errorString());
    return false;
  }
  return true;
}

}  // namespace korvel::sqleditor
