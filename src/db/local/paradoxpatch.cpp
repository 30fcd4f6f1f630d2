#include "db/local/paradoxpatch.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>

#include "db/local/paradoxreader.h"
#include "db/local/paradoxrecord.h"
#include "db/local/pxlib.h"

namespace korvel::db::local {
namespace {

constexpr char kMagic[] = "KORVEL PARADOX JOURNAL 1\n";
constexpr char kEnd[] = "END\n";
constexpr size_t kMagicSize = sizeof kMagic - 1;
constexpr size_t kEndSize = sizeof kEnd - 1;

QString systemError() { return QString::fromLocal8Bit(strerror(errno)); }

bool writeAllAt(int fd, const char* data, size_t size, int64_t offset) {
  while (size > 0) {
    const ssize_t put = ::pwrite(fd, data, size, offset);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    size -= static_cast<size_t>(put);
    offset += put;
  }
  return true;
}

void putNumber(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t getNumber(const char* in, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[i]);
  return value;
}

// The directory entry of a new file reaches the disk with its directory.
bool syncDirectoryOf(const QString& path) {
  const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

struct Entry {
  int64_t offset;
  std::string bytes;
};

// The entries of a complete journal; false when it is incomplete (the crash
// came before the table was touched).
bool readJournal(const QByteArray& data, std::vector<Entry>& entries) {
  if (data.size() < static_cast<qsizetype>(kMagicSize + 4 + kEndSize) ||
      std::memcmp(data.constData(), kMagic, kMagicSize) != 0 ||
      std::memcmp(data.constData() + data.size() - kEndSize, kEnd, kEndSize) != 0)
    return false;
  const char* at = data.constData() + kMagicSize;
  const char* end = data.constData() + data.size() - kEndSize;
  const uint64_t count = getNumber(at, 4);
  at += 4;
  for (uint64_t i = 0; i < count; ++i) {
    if (end - at < 12) return false;
    const int64_t offset = static_cast<int64_t>(getNumber(at, 8));
    const uint64_t size = getNumber(at + 8, 4);
    at += 12;
    if (static_cast<uint64_t>(end - at) < size) return false;
    entries.push_back({offset, std::string(at, size)});
    at += size;
  }
  return at == end;
}

}  // namespace

QString ParadoxPatch::journalPath(const QString& tablePath) {
  const QFileInfo info(tablePath);
  return info.absoluteDir().filePath(QStringLiteral(".%1.korvel-journal").arg(info.fileName()));
}

void ParadoxPatch::recover(const QString& tablePath) {
  const QString journal = journalPath(tablePath);
  if (!QFileInfo::exists(journal)) return;
  const auto failRecovery = [&](const QString& why) {
    throw EngineError(QStringList{QStringLiteral("Cannot read %1").arg(tablePath),
                                  QStringLiteral("%1: an unfinished change was left in %2 and cannot be undone: %3")
                                      .arg(tablePath, journal, why)});
  };
  const int fd = ::open(QFile::encodeName(journal).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;  // removed meanwhile
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {  // another program is writing the table right now
    ::close(fd);
    return;
  }
  QFile file;
  QByteArray data;
  if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) data = file.readAll();
  file.close();
  std::vector<Entry> entries;
  if (readJournal(data, entries)) {
    const int table = ::open(QFile::encodeName(tablePath).constData(), O_WRONLY | O_CLOEXEC);
    if (table < 0) {
      ::close(fd);
      failRecovery(systemError());
    }
    bool restored = true;
    for (const Entry& entry : entries)
      restored = restored && writeAllAt(table, entry.bytes.data(), entry.bytes.size(), entry.offset);
    restored = restored && ::fsync(table) == 0;
    ::close(table);
    if (!restored) {
      ::close(fd);
      failRecovery(systemError());
    }
  }
  QFile::remove(journal);
  ::close(fd);
}

ParadoxPatch::ParadoxPatch(ParadoxReader& reader) : reader_(reader), doc_(PX_new()) {}

ParadoxPatch::~ParadoxPatch() {
  if (applied_) {
    try {
      rollback();
    } catch (...) {
      // The journal stays; the next open of the table plays it back.
    }
  }
  if (journalFd_ >= 0) ::close(journalFd_);
  if (tableFd_ >= 0) ::close(tableFd_);
  if (doc_) PX_delete(doc_);
}

void ParadoxPatch::fail(const QString& message) const {
  throw EngineError(QStringList{QStringLiteral("Cannot write %1").arg(reader_.path()), message});
}

bool ParadoxPatch::add(int64_t n, const LocalRow& row) {
  const auto& fields = reader_.layout().fields;
  const auto& columns = reader_.columns();
  if (row.size() != static_cast<int>(fields.size())) fail(QStringLiteral("record %1: wrong number of values").arg(n + 1));
  const LocalRow stored = reader_.row(n);
  std::string record(reader_.rawRecord(n), static_cast<size_t>(reader_.layout().recordSize));
  const std::string before = record;
  int at = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    const ParadoxField& f = fields[i];
    const QVariant& value = row[static_cast<int>(i)];
    if (!(value.isNull() && stored[static_cast<int>(i)].isNull()) && value != stored[static_cast<int>(i)]) {
      std::string bytes(static_cast<size_t>(f.length), '\0');
      QString why;
      switch (encodeParadoxField(doc_, f, value, bytes.data(), false, &why)) {
        case FieldEncoding::Done: break;
        case FieldEncoding::NeedsMemoFile: return false;
        case FieldEncoding::Refused: fail(QStringLiteral("record %1, field %2: %3").arg(n + 1).arg(columns[i].name, why));
      }
      record.replace(static_cast<size_t>(at), bytes.size(), bytes);
    }
    at += f.length;
  }
  if (record != before) changes_.push_back({reader_.recordOffset(n), before, record});
  return true;
}

void ParadoxPatch::apply() {
  if (applied_ || changes_.empty()) return;
  const QString journal = journalPath(reader_.path());
  std::string text(kMagic, kMagicSize);
  putNumber(text, changes_.size(), 4);
  for (const Change& change : changes_) {
    putNumber(text, static_cast<uint64_t>(change.offset), 8);
    putNumber(text, change.before.size(), 4);
    text += change.before;
  }
  text.append(kEnd, kEndSize);
  journalFd_ = ::open(QFile::encodeName(journal).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (journalFd_ < 0) fail(QStringLiteral("cannot create the journal %1: %2").arg(journal, systemError()));
  ::flock(journalFd_, LOCK_EX);
  if (!writeAllAt(journalFd_, text.data(), text.size(), 0) || ::fsync(journalFd_) != 0 || !syncDirectoryOf(journal)) {
    const QString why = systemError();
    ::close(journalFd_);
    journalFd_ = -1;
    QFile::remove(journal);
    fail(QStringLiteral("cannot write the journal %1: %2").arg(journal, why));
  }
  tableFd_ = ::open(QFile::encodeName(reader_.path()).constData(), O_WRONLY | O_CLOEXEC);
  applied_ = true;  // from here on a failure puts the old bytes back
  bool written = tableFd_ >= 0;
  for (const Change& change : changes_)
    written = written && writeAllAt(tableFd_, change.after.data(), change.after.size(), change.offset);
  if (!written || ::fsync(tableFd_) != 0) {
    const QString why = systemError();
    rollback();
    fail(QStringLiteral("cannot write to the disk: %1").arg(why));
  }
}

void ParadoxPatch::restore() {
  bool restored = tableFd_ >= 0;
  for (const Change& change : changes_)
    restored = restored && writeAllAt(tableFd_, change.before.data(), change.before.size(), change.offset);
  if (!restored || ::fsync(tableFd_) != 0)
    fail(QStringLiteral("cannot put the old records back (%1); the journal %2 restores them when the table is opened next")
             .arg(systemError(), journalPath(reader_.path())));
}

void ParadoxPatch::rollback() {
  if (!applied_) return;
  applied_ = false;
  restore();
  commit();
}

void ParadoxPatch::commit() {
  applied_ = false;
  if (journalFd_ < 0) return;
  QFile::remove(journalPath(reader_.path()));
  syncDirectoryOf(reader_.path());
  ::close(journalFd_);
  journalFd_ = -1;
  changes_.clear();
}

}  // namespace korvel::db::local
