#include "db/local/paradoxreader.h"

#include <fcntl.h>
#include "db/local/pxlib.h"
#include <sys/stat.h>
#include <unistd.h>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <cmath>
#include <cstring>

#include "common/codepage.h"

namespace korvel::db::local {
namespace {

// Paradox counts days from 1 January of year 1 as day 1; a Julian day
// number is that count plus this.
constexpr int64_t kJulianOffset = 1721425;
constexpr int64_t kMsPerDay = 86400000;
constexpr int64_t kMaxBlob = 256 * 1024 * 1024;
constexpr int kHeadBytes = 2048;

uint32_t le32(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}
int le16s(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<int16_t>(b[0] | (b[1] << 8));
}
int le16(const char* p) { return le16s(p) & 0xFFFF; }

// A 4-byte number as Paradox stores it: big-endian with the sign bit
// inverted; all zero bytes are NULL. (pxlib's own decoder reads 8 bytes
// from its 4-byte copy where long is 64 bits wide, so NULLs come out as
// numbers there.)
bool storedLong(const char* p, int32_t& value) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  const uint32_t raw = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
  if (raw == 0) return false;
  value = static_cast<int32_t>(raw ^ 0x80000000u);
  return true;
}

FieldKind kindOfType(uint8_t type) {
  switch (type) {
    case pxAlpha: return FieldKind::String;
    case pxDate: return FieldKind::Date;
    case pxShort: return FieldKind::Smallint;
    case pxLong:
    case pxAutoInc: return FieldKind::Integer;
    case pxCurrency: return FieldKind::Currency;
    case pxNumber:
    case pxBcd: return FieldKind::Float;
    case pxLogical: return FieldKind::Boolean;
    case pxMemo: return FieldKind::Memo;
    case pxTime: return FieldKind::Time;
    case pxTimestamp: return FieldKind::DateTime;
    default: return FieldKind::Blob;
  }
}

bool writableType(uint8_t type) {
  switch (type) {
    case pxAlpha: case pxDate: case pxShort: case pxLong: case pxAutoInc: case pxCurrency:
    case pxNumber: case pxLogical: case pxMemo: case pxTime: case pxTimestamp:
      return true;
    default:
      return false;
  }
}

QString fileStamp(int fd, int64_t& size, int64_t& modified) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return QString::fromLocal8Bit(strerror(errno));
  size = st.st_size;
  modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return {};
}

}  // namespace

QString companionFile(const QString& path, const QString& ext) {
  const QFileInfo info(path);
  const QString base = info.completeBaseName();
  const QDir dir = info.absoluteDir();
  for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
    const QFileInfo candidate(name);
    if (candidate.completeBaseName() == base && candidate.suffix().compare(ext, Qt::CaseInsensitive) == 0)
      return dir.filePath(name);
  }
  const bool lower = !info.suffix().isEmpty() && info.suffix() == info.suffix().toLower();
  return dir.filePath(base + u'.' + (lower ? ext.toLower() : ext.toUpper()));
}

// pxlib parses the header from a copy of it in memory, with the block
// fields cleared so that it does not walk the blocks itself; the same
// document reads memo text from the .MB file.
struct ParadoxReader::Pxlib {
  pxdoc_t* doc = nullptr;
  FILE* header = nullptr;
  std::string image;
  QString lastError;

  ~Pxlib() {
    if (doc) PX_delete(doc);
    if (header) fclose(header);
  }
  static void onError(pxdoc_t*, int type, const char* message, void* data) {
    if (type == PX_Warning) return;
    static_cast<Pxlib*>(data)->lastError = QString::fromLocal8Bit(message);
  }
};

ParadoxReader::ParadoxReader(const QString& path) : path_(path), px_(std::make_unique<Pxlib>()) {
  fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) throwFileError(path, {}, QString::fromLocal8Bit(strerror(errno)));
  // A damaged file is refused by an exception from here on, and a
  // constructor that throws runs no destructor: the file is closed here.
  try {
    readHeader();
  } catch (...) {
    ::close(fd_);
    fd_ = -1;
    throw;
  }
}

void ParadoxReader::readHeader() {
  const QString& path = path_;
  if (const QString problem = fileStamp(fd_, fileSize_, modified_); !problem.isEmpty())
    throwFileError(path, {}, problem);
  std::string head(static_cast<size_t>(std::min<int64_t>(fileSize_, kHeadBytes)), '\0');
  readExact(0, head.data(), static_cast<int64_t>(head.size()), {});
  if (const QString problem = readParadoxLayout(head, fileSize_, layout_); !problem.isEmpty())
    throwFileError(path, {}, problem);
  if (layout_.encryption != 0)
    throwFileError(path, {}, QStringLiteral("the table is encrypted (password protected), which is not supported"));

  // The whole header goes to pxlib; it may be longer than what was checked.
  std::string& image = px_->image;
  image.assign(static_cast<size_t>(layout_.headerSize), '\0');
  readExact(0, image.data(), layout_.headerSize, {});
  std::memset(image.data() + 0x06, 0, 4);   // record count
  std::memset(image.data() + 0x0C, 0, 4);   // file blocks, first block
  px_->doc = PX_new3(&Pxlib::onError, nullptr, nullptr, nullptr, px_.get());
  px_->header = fmemopen(image.data(), image.size(), "r");
  if (!px_->doc || !px_->header || PX_open_fp(px_->doc, px_->header) < 0)
    throwFileError(path, {}, QStringLiteral("pxlib cannot read the header: %1").arg(px_->lastError));
  const int numFields = PX_get_num_fields(px_->doc);
  if (numFields != static_cast<int>(layout_.fields.size()))
    throwFileError(path, {}, QStringLiteral("pxlib reads %1 fields, the header holds %2")
                                 .arg(numFields).arg(layout_.fields.size()));
  int offset = 0;
  for (int i = 0; i < numFields; ++i) {
    const pxfield_t* f = PX_get_field(px_->doc, i);
    const ParadoxField& mine = layout_.fields[static_cast<size_t>(i)];
    if (!f || static_cast<uint8_t>(f->px_ftype) != mine.type || f->px_flen != mine.length)
      throwFileError(path, {}, QStringLiteral("field %1 is described differently by pxlib").arg(i + 1));
    int bad = -1;
    const char* rawName = f->px_fname ? f->px_fname : "";
    const QString name = fromCp932(rawName, &bad);
    if (bad >= 0 || name.isEmpty())
      throwFileError(path, {}, QStringLiteral("field %1 has no readable name").arg(i + 1));
    names_ << name;
    LocalColumn column{name, kindOfType(mine.type), 0, false};
    if (mine.type == pxAlpha) column.size = mine.length;
    if (mine.type == pxMemo) column.size = mine.length - 10;
    columns_.push_back(column);
    offsets_.push_back(offset);
    offset += mine.length;
  }
  nextBlock_ = layout_.numRecords > 0 || layout_.fileBlocks > 0 ? layout_.firstBlock : 0;
  visited_.assign(static_cast<size_t>(layout_.fileBlocks) + 1, 0);
  const QFileInfo info(path);
  for (const QString& name : info.absoluteDir().entryList(QDir::Files)) {
    const QFileInfo candidate(name);
    const QString suffix = candidate.suffix().toUpper();
    if (candidate.completeBaseName() == info.completeBaseName() && suffix.size() == 3 &&
        (suffix[0] == u'X' || suffix[0] == u'Y'))
      secondaryIndex_ = name;
  }
}

ParadoxReader::~ParadoxReader() {
  if (fd_ >= 0) ::close(fd_);
  if (mbFd_ >= 0) ::close(mbFd_);
}

int ParadoxReader::keyBytes() const {
  int bytes = 0;
  for (int i = 0; i < layout_.keyFields; ++i) bytes += layout_.fields[static_cast<size_t>(i)].length;
  return bytes;
}

void ParadoxReader::fail(int64_t record, const QString& message) const {
  throwFileError(path_, record >= 0 ? QStringLiteral("record %1").arg(record + 1) : QString(), message);
}

void ParadoxReader::readExact(int64_t offset, char* into, int64_t size, const QString& where) {
  int64_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd_, into + done, static_cast<size_t>(size - done), offset + done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0)
      throwFileError(path_, where, got < 0 ? QString::fromLocal8Bit(strerror(errno))
                                           : QStringLiteral("the file ends early (changed or truncated?)"));
    done += got;
  }
}

// Adds the next block of the chain to the index; false when the chain ended.
bool ParadoxReader::walkNextBlock() {
  if (nextBlock_ == 0) return false;
  const int number = nextBlock_;
  if (number < 1 || number > layout_.fileBlocks)
    fail(walked_, QStringLiteral("the chain of blocks leads to block %1, the file has %2")
                      .arg(number).arg(layout_.fileBlocks));
  if (visited_[static_cast<size_t>(number)]) fail(walked_, QStringLiteral("the chain of blocks loops at block %1").arg(number));
  visited_[static_cast<size_t>(number)] = 1;
  char head[ParadoxLayout::kBlockHeader];
  const int64_t offset = layout_.blockOffset(number);
  readExact(offset, head, sizeof head, QStringLiteral("block %1").arg(number));
  const int addSize = le16s(head + 4);
  int records = 0;
  if (addSize >= 0) {
    if (addSize % layout_.recordSize != 0)
      fail(walked_, QStringLiteral("block %1 holds a part of a record").arg(number));
    records = addSize / layout_.recordSize + 1;
  } else if (addSize != -layout_.recordSize) {
    fail(walked_, QStringLiteral("block %1 has a damaged size").arg(number));
  }
  if (records > layout_.recordsPerBlock())
    fail(walked_, QStringLiteral("block %1 claims more records than it can hold").arg(number));
  if (walked_ + records > layout_.numRecords)
    fail(walked_, QStringLiteral("the blocks hold more records than the %1 the header counts").arg(layout_.numRecords));
  if (records > 0) blocks_.push_back({offset, walked_, records});
  walked_ += records;
  nextBlock_ = le16(head);
  if (nextBlock_ == 0 && walked_ != layout_.numRecords)
    fail(-1, QStringLiteral("the header counts %1 records, the blocks hold %2").arg(layout_.numRecords).arg(walked_));
  return true;
}

void ParadoxReader::checkBlocks() {
  while (walkNextBlock()) {
  }
}

const ParadoxReader::Block& ParadoxReader::blockOf(int64_t record) {
  if (record < 0 || record >= layout_.numRecords) fail(record, QStringLiteral("no such record"));
  while (walked_ <= record)
    if (!walkNextBlock())
      fail(record, QStringLiteral("the header counts %1 records, the blocks hold %2").arg(layout_.numRecords).arg(walked_));
  auto it = std::upper_bound(blocks_.begin(), blocks_.end(), record,
                             [](int64_t r, const Block& b) { return r < b.first; });
  return *(it - 1);
}

const char* ParadoxReader::rawRecord(int64_t n) {
  const Block& block = blockOf(n);
  const int index = static_cast<int>(&block - blocks_.data());
  const size_t bytes = static_cast<size_t>(block.records) * static_cast<size_t>(layout_.recordSize);
  if (cachedBlock_ != index) {
    cachedBlock_ = -1;
    cache_.resize(bytes);
    readExact(block.offset + ParadoxLayout::kBlockHeader, cache_.data(), static_cast<int64_t>(bytes),
              QStringLiteral("record %1").arg(n + 1));
    cachedBlock_ = index;
  }
  return cache_.data() + (n - block.first) * layout_.recordSize;
}

LocalRow ParadoxReader::leadingFields(int64_t n, int count) {
  const char* raw = rawRecord(n);
  count = std::min(count, static_cast<int>(columns_.size()));
  LocalRow row(count);
  for (int i = 0; i < count; ++i) row[i] = decodeField(static_cast<size_t>(i), raw + offsets_[static_cast<size_t>(i)], n);
  return row;
}

int64_t ParadoxReader::recordOffset(int64_t n) {
  const Block& block = blockOf(n);
  return block.offset + ParadoxLayout::kBlockHeader + (n - block.first) * layout_.recordSize;
}

LocalRow ParadoxReader::decode(const char* raw, int64_t n) {
  LocalRow row(static_cast<int>(columns_.size()));
  for (size_t i = 0; i < columns_.size(); ++i) row[static_cast<int>(i)] = decodeField(i, raw + offsets_[i], n);
  return row;
}

QVariant ParadoxReader::decodeField(size_t field, const char* data, int64_t n) {
  const ParadoxField& f = layout_.fields[field];
  char* bytes = const_cast<char*>(data);  // pxlib's decoders take no const, and copy
  pxdoc_t* doc = px_->doc;
  switch (f.type) {
    case pxAlpha: {
      const void* end = std::memchr(data, 0, static_cast<size_t>(f.length));
      const size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - data) : f.length;
      if (length == 0) return {};
      int bad = -1;
      QString text = fromCp932(std::string_view(data, length), &bad);
      if (bad >= 0)
        fail(n, QStringLiteral("field %1 holds bytes that are not code page 932").arg(columns_[field].name));
      return text;
    }
    case pxShort: {
      short value = 0;
      return PX_get_data_short(doc, bytes, 2, &value) > 0 ? QVariant(int(value)) : QVariant();
    }
    case pxLong:
    case pxAutoInc: {
      int32_t value = 0;
      return storedLong(data, value) ? QVariant(int(value)) : QVariant();
    }
    case pxCurrency:
    case pxNumber: {
      double value = 0;
      return PX_get_data_double(doc, bytes, 8, &value) > 0 ? QVariant(value) : QVariant();
    }
    case pxLogical: {
      char value = 0;
      return PX_get_data_byte(doc, bytes, 1, &value) > 0 ? QVariant(value != 0) : QVariant();
    }
    case pxDate: {
      int32_t days = 0;
      if (!storedLong(data, days)) return {};
      const QDate date = QDate::fromJulianDay(days + kJulianOffset);
      if (!date.isValid()) fail(n, QStringLiteral("field %1 holds no valid date").arg(columns_[field].name));
      return date;
    }
    case pxTime: {
      int32_t ms = 0;
      if (!storedLong(data, ms)) return {};
      if (ms < 0 || ms >= kMsPerDay) fail(n, QStringLiteral("field %1 holds no valid time").arg(columns_[field].name));
      return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
    }
    case pxTimestamp: {
      double value = 0;
      if (PX_get_data_double(doc, bytes, 8, &value) <= 0) return {};
      if (!std::isfinite(value) || value < 0 || value > 1e15)
        fail(n, QStringLiteral("field %1 holds no valid timestamp").arg(columns_[field].name));
      const auto ms = static_cast<int64_t>(std::llround(value));
      const QDate date = QDate::fromJulianDay(ms / kMsPerDay + kJulianOffset);
      return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms % kMsPerDay)));
    }
    case pxBcd: {
      char* text = nullptr;
      const int got = PX_get_data_bcd(doc, reinterpret_cast<unsigned char*>(bytes), f.decimals, &text);
      if (got <= 0 || !text) {
        if (got < 0) fail(n, QStringLiteral("field %1 holds a damaged number").arg(columns_[field].name));
        return {};
      }
      QString value = QString::fromLatin1(text).replace(u',', u'.');  // pxlib writes the locale's point
      doc->free(doc, text);
      return value;
    }
    case pxBytes: {
      const bool empty = std::all_of(data, data + f.length, [](char c) { return c == 0; });
      return empty ? QVariant() : QVariant(QByteArray(data, f.length));
    }
    default:
      return decodeBlob(field, data, n);
  }
}

// Memo and binary fields: the first (length - 10) bytes of the value are in
// the record, followed by where the whole value lies in the .MB file, its
// length and a modification number. pxlib 0.6.8 overruns a stack buffer
// when it opens a .MB file for reading, so the value is read here: a block
// of type 2 holds one value after a 9-byte head; a block of type 3 holds
// small values, found through a table of 5-byte entries after its 12-byte
// head (offset / 16, length / 16 rounded up, modification number, length
// mod 16).
QVariant ParadoxReader::decodeBlob(size_t field, const char* data, int64_t n) {
  const ParadoxField& f = layout_.fields[field];
  const int leader = f.length - 10;
  const uint32_t where = le32(data + leader);
  const int64_t size = le32(data + leader + 4);
  if (size == 0) return {};
  QByteArray value;
  const auto damaged = [&] {
    fail(n, QStringLiteral("the memo of field %1 points to damaged data in the memo file").arg(columns_[field].name));
  };
  if (size <= leader) {
    value = QByteArray(data, static_cast<int>(size));
  } else {
    if (size > kMaxBlob) damaged();
    if (mbFd_ < 0) {
      const QString mbPath = companionFile(path_, QStringLiteral("MB"));
      mbFd_ = ::open(QFile::encodeName(mbPath).constData(), O_RDONLY | O_CLOEXEC);
      if (mbFd_ < 0) fail(n, QStringLiteral("the memo file %1 cannot be opened").arg(mbPath));
    }
    const int64_t offset = where & 0xFFFFFF00u;
    const int index = static_cast<int>(where & 0xFF);
    char head[12];
    const auto readMb = [&](int64_t at, char* into, int64_t bytes) {
      int64_t done = 0;
      while (done < bytes) {
        const ssize_t got = ::pread(mbFd_, into + done, static_cast<size_t>(bytes - done), at + done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) damaged();
        done += got;
      }
    };
    if (offset < 4096) damaged();
    readMb(offset, head, 3);
    value.resize(static_cast<int>(size));
    if (head[0] == 2 && index == 0xFF) {
      readMb(offset, head, 9);
      if (le32(head + 3) != size) damaged();
      readMb(offset + 9, value.data(), size);
    } else if (head[0] == 3 && index < 64) {
      char entry[5];
      readMb(offset + 12 + index * 5, entry, 5);
      const int start = static_cast<uint8_t>(entry[0]);
      const int chunks = static_cast<uint8_t>(entry[1]);
      const int tail = static_cast<uint8_t>(entry[4]);
      if (chunks == 0 || (chunks - 1) * 16 + tail != size || start * 16 + size > 4096) damaged();
      readMb(offset + start * 16, value.data(), size);
    } else {
      damaged();
    }
  }
  if (f.type != pxMemo) return value;
  int bad = -1;
  QString text = fromCp932(std::string_view(value.constData(), static_cast<size_t>(value.size())), &bad);
  if (bad >= 0) fail(n, QStringLiteral("memo %1 holds bytes that are not code page 932").arg(columns_[field].name));
  return text;
}

QString ParadoxReader::writeRefusal() const {
  for (size_t i = 0; i < layout_.fields.size(); ++i)
    if (!writableType(layout_.fields[i].type))
      return QStringLiteral("field %1 is of a type (%2) this program can read but not write")
          .arg(columns_[i].name).arg(layout_.fields[i].type);
  if (!secondaryIndex_.isEmpty())
    return QStringLiteral("the table has a secondary index (%1), which this program cannot keep up to date")
        .arg(secondaryIndex_);
  return {};
}

bool ParadoxReader::hasMemo() const {
  return std::any_of(layout_.fields.begin(), layout_.fields.end(),
                     [](const ParadoxField& f) { return f.type == pxMemo; });
}

bool ParadoxReader::changedOnDisk() const {
  struct stat st {};
  if (::stat(QFile::encodeName(path_).constData(), &st) != 0) return true;
  return st.st_size != fileSize_ || int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec != modified_;
}

}  // namespace korvel::db::local
