#include "copydb/copyerrorlog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/codepage.h"

namespace korvel::copydb {

namespace {
const char kFileName[] = "CpErrSql.txt";
}

bool CopyErrorLog::create() {
  QString dir = QDir::currentPath();
  if (!dir.endsWith(u'/')) dir += u'/';
  path_ = dir + QLatin1String(kFileName);
  created_ = createFile();
  return created_;
}

bool CopyErrorLog::createFile() {
  const QFileInfo info(path_);
  if (info.isDir()) return false;
  if (info.exists() || info.isSymLink()) QFile::remove(path_);
  QFile file(path_);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  file.close();
  return true;
}

bool CopyErrorLog::ready() {
  if (path_.isEmpty()) return false;
  if (!created_) return created_ = createFile();
  QFile file(path_);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
  file.close();
  return true;
}

bool CopyErrorLog::append(const QString& line, QString* error) {
  std::string bytes;
  int bad = -1;
  if (!tryToCp932(line, bytes, &bad)) {
    if (error)
      *error = QStringLiteral("文字 %1 はコードページ932で書けません").arg(line.mid(bad, line[bad].isHighSurrogate() ? 2 : 1));
    return false;
  }
  bytes += "\r\n";
  QFile file(path_);
  const bool written = file.open(QIODevice::WriteOnly | QIODevice::Append) &&
                       file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()) &&
                       file.flush();
  if (!written && error) *error = file.errorString();
  return written;
}

}  // namespace korvel::copydb
