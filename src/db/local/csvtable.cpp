#include "db/local/csvtable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <atomic>
#include <cstring>

#include "common/codepage.h"
#include "db/local/csvvalues.h"

namespace korvel::db::local {
namespace {

constexpr int64_t kChunk = 1 << 20;
constexpr int64_t kCheckpointEvery = 256;

QString systemError() { return QString::fromLocal8Bit(strerror(errno)); }

bool fileStamp(const QString& path, int64_t& size, int64_t& modified) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
  size = st.st_size;
  modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return true;
}

QString temporaryPath(const QString& path) {
  static std::atomic<int> serial{0};
  const QFileInfo info(path);
  return info.absoluteDir().filePath(QStringLiteral(".%1.korvel-%2-%3")
                                         .arg(info.fileName())
                                         .arg(QCoreApplication::applicationPid())
                                         .arg(++serial));
}

bool writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd, data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

}  // namespace

CsvReader::CsvReader(const QString& path) : path_(path) {
  fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) throwFileError(path, {}, systemError());
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

void CsvReader::readHeader() {
  const QString& path = path_;
  if (!fileStamp(path, size_, modified_)) throwFileError(path, {}, systemError());
  const std::optional<CsvSchema> schema = readCsvSchema(schemaPathFor(path));
  hasSchemaFile_ = schema.has_value();
  if (schema) schema_ = *schema;
  Position start;
  if (size_ >= 3 && byteAt(0) == 0xEF && byteAt(1) == 0xBB && byteAt(2) == 0xBF) {
    schema_.utf8 = true;
    start.offset = 3;
  } else if (hasSchemaFile_ && schema_.utf8) {
    throwFileError(path, {}, QStringLiteral("the schema says UTF-8, but the file has no byte-order mark"));
  }
  std::vector<Field> header;
  if (!readRecord(start, header)) throwFileError(path, {}, QStringLiteral("the file has no header line"));
  QStringList names;
  for (size_t i = 0; i < header.size(); ++i) {
    const QString name = text(header[i].bytes, 1).trimmed();
    if (name.isEmpty()) throwFileError(path, QStringLiteral("line 1"), QStringLiteral("column %1 has no name").arg(i + 1));
    names << name;
  }
  if (!hasSchemaFile_) {
    // Without a schema the file is written back with the line breaks it has.
    schema_.crlf = start.offset < 2 || byteAt(start.offset - 1) != '\n' || byteAt(start.offset - 2) == '\r';
    for (const QString& name : names) schema_.columns.push_back({name, FieldKind::String, 0, false});
  } else {
    const QString schemaFile = schemaPathFor(path);
    if (static_cast<int>(schema_.columns.size()) != names.size())
      throwFileError(path, QStringLiteral("line 1"),
                     QStringLiteral("the header names %1 columns, the schema file %2 names %3")
                         .arg(names.size()).arg(schemaFile).arg(schema_.columns.size()));
    for (int i = 0; i < names.size(); ++i)
      if (schema_.columns[static_cast<size_t>(i)].name != names[i])
        throwFileError(path, QStringLiteral("line 1"),
                       QStringLiteral("column %1 is \"%2\" in the header, \"%3\" in the schema file %4")
                           .arg(i + 1).arg(names[i], schema_.columns[static_cast<size_t>(i)].name, schemaFile));
  }
  cursor_ = start;
  checkpoints_.push_back(start);
}

CsvReader::~CsvReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool CsvReader::changedOnDisk() const {
  int64_t size = 0, modified = 0;
  return !fileStamp(path_, size, modified) || size != size_ || modified != modified_;
}

// The byte at `offset`, or -1 past the end of the file (as it was opened).
int CsvReader::byteAt(int64_t offset) {
  if (offset >= size_) return -1;
  if (offset < bufferStart_ || offset >= bufferStart_ + static_cast<int64_t>(buffer_.size())) {
    bufferStart_ = offset;
    buffer_.resize(static_cast<size_t>(std::min(kChunk, size_ - offset)));
    size_t done = 0;
    while (done < buffer_.size()) {
      const ssize_t got = ::pread(fd_, buffer_.data() + done, buffer_.size() - done, offset + static_cast<int64_t>(done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        buffer_.clear();
        throwFileError(path_, {}, QStringLiteral("the file ends early (changed while open?)"));
      }
      done += static_cast<size_t>(got);
    }
  }
  return static_cast<unsigned char>(buffer_[static_cast<size_t>(offset - bufferStart_)]);
}

// The bytes of the file from `offset` to the end of the buffer that holds
// it (loading it when needed), with their number in `available`; nullptr
// past the end of the file.
const char* CsvReader::window(int64_t offset, int64_t& available) {
  if (byteAt(offset) < 0) return nullptr;
  available = bufferStart_ + static_cast<int64_t>(buffer_.size()) - offset;
  return buffer_.data() + (offset - bufferStart_);
}

// An unquoted field's bytes from `at` up to the next comma or line break
// (or the end of the file), taken a buffer at a time. Returns the byte that
// ended it, -1 at the end of the file.
int CsvReader::readPlainField(Position& at, std::string& bytes) {
  for (;;) {
    int64_t available = 0;
    const char* p = window(at.offset, available);
    if (!p) return -1;
    const char* end = p + available;
    const char* q = p;
    while (q < end && *q != ',' && *q != '\r' && *q != '\n') ++q;
    bytes.append(p, static_cast<size_t>(q - p));
    at.offset += q - p;
    if (q < end) return static_cast<unsigned char>(*q);
  }
}

// A quoted field's bytes after its opening quote, up to its closing quote
// (a doubled quote inside is one quote), counting the line breaks inside.
void CsvReader::readQuotedField(Position& at, std::string& bytes, int64_t startLine) {
  for (;;) {
    int64_t available = 0;
    const char* p = window(at.offset, available);
    if (!p) throwFileError(path_, QStringLiteral("line %1").arg(startLine), QStringLiteral("a quoted field is not closed"));
    const auto* quote = static_cast<const char*>(std::memchr(p, '"', static_cast<size_t>(available)));
    const char* stop = quote ? quote : p + available;
    // A CR counts as a line break unless LF follows it; the byte after the
    // last one of the buffer is looked at once the buffer is used.
    bool lastIsLoneCr = false;
    for (const char* c = p; c < stop; ++c) {
      if (*c == '\n') ++at.line;
      else if (*c == '\r') {
        if (c + 1 < stop) at.line += c[1] != '\n';
        else if (quote) ++at.line;  // a quote follows
        else lastIsLoneCr = true;
      }
    }
    bytes.append(p, static_cast<size_t>(stop - p));
    at.offset += stop - p;
    if (lastIsLoneCr && byteAt(at.offset) != '\n') ++at.line;
    if (!quote) continue;
    ++at.offset;  // past the quote
    if (byteAt(at.offset) != '"') return;
    bytes.push_back('"');
    ++at.offset;
  }
}

// One record from `at`, which moves past it. Lines that are empty are
// skipped, except in a table of one column, where they are NULL values.
// `fields` is reused from record to record (its strings keep their room).
bool CsvReader::readRecord(Position& at, std::vector<Field>& fields) {
  for (;;) {
    int c = byteAt(at.offset);
    if (c < 0) {
      fields.clear();
      return false;
    }
    const bool oneColumn = schema_.columns.size() == 1;
    if ((c == '\n' || c == '\r') && !oneColumn) {  // an empty line
      at.offset += (c == '\r' && byteAt(at.offset + 1) == '\n') ? 2 : 1;
      ++at.line;
      continue;
    }
    break;
  }
  const int64_t startLine = at.line;
  size_t count = 0;
  for (;;) {
    if (count == fields.size()) fields.emplace_back();
    Field& field = fields[count++];
    field.bytes.clear();
    field.quoted = byteAt(at.offset) == '"';
    int c;
    if (field.quoted) {
      ++at.offset;
      readQuotedField(at, field.bytes, startLine);
      c = byteAt(at.offset);
      if (c >= 0 && c != ',' && c != '\r' && c != '\n')
        throwFileError(path_, QStringLiteral("line %1").arg(at.line), QStringLiteral("text follows a closing quote"));
    } else {
      c = readPlainField(at, field.bytes);
    }
    if (c == ',') {
      ++at.offset;
      continue;
    }
    fields.resize(count);
    if (c == '\r') at.offset += byteAt(at.offset + 1) == '\n' ? 2 : 1;
    else if (c == '\n') ++at.offset;
    if (c >= 0) ++at.line;
    return true;
  }
}

QString CsvReader::text(const std::string& bytes, int64_t line) const {
  // A quoted empty field is an empty text, which a null QString would turn
  // into NULL where it is stored.
  if (bytes.empty()) return QString::fromLatin1("", 0);
  if (schema_.utf8) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString result = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) throwFileError(path_, QStringLiteral("line %1").arg(line), QStringLiteral("bytes that are not UTF-8"));
    return result;
  }
  int bad = -1;
  QString result = fromCp932(bytes, &bad);
  if (bad >= 0) throwFileError(path_, QStringLiteral("line %1").arg(line), QStringLiteral("bytes that are not code page 932"));
  return result;
}

void CsvReader::checkFieldCount(const std::vector<Field>& fields, int64_t line) const {
  if (fields.size() != schema_.columns.size())
    throwFileError(path_, QStringLiteral("line %1").arg(line),
                   QStringLiteral("%1 fields where the header has %2").arg(fields.size()).arg(schema_.columns.size()));
}

void CsvReader::value(size_t column, const Field& field, int64_t line, QVariant& out) const {
  if (field.bytes.empty() && !field.quoted) {  // NULL
    out = QVariant();
    return;
  }
  const LocalColumn& def = schema_.columns[column];
  if (csvPlainValue(def.kind, field.bytes, out)) return;
  QString error;
  if (!csvValue(def.kind, text(field.bytes, line), out, &error))
    throwFileError(path_, QStringLiteral("line %1, column %2").arg(line).arg(def.name), error);
}

// The first `columns` values of a parsed record into `row` (sized to all
// columns; the others are left NULL).
void CsvReader::convert(const std::vector<Field>& fields, int64_t line, size_t columns, LocalRow& row) {
  checkFieldCount(fields, line);
  const size_t all = schema_.columns.size();
  row.resize(static_cast<int>(all));
  for (size_t i = 0; i < all; ++i) {
    if (i < columns) value(i, fields[i], line, row[static_cast<int>(i)]);
    else row[static_cast<int>(i)] = QVariant();
  }
}

const std::vector<CsvReader::Field>* CsvReader::fields(int64_t n, int64_t& line) {
  if (!locate(n)) return nullptr;
  line = cursor_.line;
  checkFieldCount(fields_, line);
  return &fields_;
}

// Moves the cursor to the known record start nearest before record n when
// that is nearer than where it stands (or n lies behind it).
void CsvReader::jumpNear(int64_t n) {
  if (n >= cursorRecord_ && n - cursorRecord_ < kCheckpointEvery) return;
  const int64_t known = std::min<int64_t>(n / kCheckpointEvery, static_cast<int64_t>(checkpoints_.size()) - 1);
  if (known * kCheckpointEvery > cursorRecord_ || n < cursorRecord_) {
    cursor_ = checkpoints_[static_cast<size_t>(known)];
    cursorRecord_ = known * kCheckpointEvery;
  }
}

int64_t CsvReader::rowCount() {
  if (count_ >= 0) return count_;
  parsedRecord_ = -1;  // fields_ is used for the walk
  jumpNear(static_cast<int64_t>(checkpoints_.size() - 1) * kCheckpointEvery);
  Position at = cursor_;
  int64_t n = cursorRecord_;
  while (readRecord(at, fields_)) {
    ++n;
    if (n % kCheckpointEvery == 0 && n / kCheckpointEvery == static_cast<int64_t>(checkpoints_.size()))
      checkpoints_.push_back(at);
  }
  count_ = n;
  return count_;
}

// Puts the cursor at the start of record n and parses it into fields_
// (nothing converted yet). False when the file holds fewer records.
bool CsvReader::locate(int64_t n) {
  if (n < 0 || (count_ >= 0 && n >= count_)) return false;
  if (parsedRecord_ == n) return true;
  if (parsedRecord_ >= 0 && parsedRecord_ == cursorRecord_ && n == cursorRecord_ + 1) {
    cursor_ = parsedEnd_;  // the next record follows the one just parsed
    noteRecordRead();
  }
  parsedRecord_ = -1;
  jumpNear(n);
  while (cursorRecord_ < n) {
    if (!readRecord(cursor_, fields_)) {
      count_ = cursorRecord_;
      return false;
    }
    noteRecordRead();
  }
  parsedEnd_ = cursor_;
  if (!readRecord(parsedEnd_, fields_)) {
    count_ = cursorRecord_;
    return false;
  }
  parsedRecord_ = n;
  return true;
}

bool CsvReader::readRow(int64_t n, LocalRow& out) { return readLeading(n, schema_.columns.size(), out); }

bool CsvReader::readLeading(int64_t n, size_t columns, LocalRow& out) {
  if (!locate(n)) return false;
  convert(fields_, cursor_.line, columns, out);
  return true;
}

void CsvReader::noteRecordRead() {
  ++cursorRecord_;
  if (cursorRecord_ % kCheckpointEvery == 0 && cursorRecord_ / kCheckpointEvery == static_cast<int64_t>(checkpoints_.size()))
    checkpoints_.push_back(cursor_);
}

LocalRow CsvReader::row(int64_t n) {
  LocalRow result;
  if (!readRow(n, result)) throwFileError(path_, {}, QStringLiteral("no record %1").arg(n + 1));
  return result;
}

CsvWriter::CsvWriter(const QString& path, CsvSchema schema, bool withSchemaFile)
    : path_(path), schema_(std::move(schema)), withSchemaFile_(withSchemaFile) {
  if (schema_.columns.empty()) fail(QStringLiteral("a CSV table needs at least one column"));
  if (withSchemaFile_) csvSchemaText(schema_);  // refuses what a schema file cannot hold before anything is written
  temp_ = temporaryPath(path_);
  fd_ = ::open(QFile::encodeName(temp_).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) fail(QStringLiteral("cannot create %1: %2").arg(temp_, systemError()));
  if (schema_.utf8) out_ = "\xEF\xBB\xBF";
  for (size_t i = 0; i < schema_.columns.size(); ++i) {
    if (i > 0) out_ += ',';
    put(schema_.columns[i].name, false, -1, schema_.columns[i].name);
  }
  endLine();
}

CsvWriter::~CsvWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_) {
    QFile::remove(temp_);
    if (!schemaTemp_.isEmpty()) QFile::remove(schemaTemp_);
  }
}

void CsvWriter::fail(const QString& message) const {
  throw EngineError(QStringList{QStringLiteral("Cannot write %1").arg(path_), message});
}

void CsvWriter::put(const QString& text, bool quote, int64_t rowNumber, const QString& column) {
  std::string bytes;
  if (schema_.utf8) {
    bytes = text.toUtf8().toStdString();
  } else {
    int bad = -1;
    if (!tryToCp932(text, bytes, &bad))
      fail(QStringLiteral("row %1, column %2: character %3 has no code page 932 form")
               .arg(rowNumber + 1).arg(column, text.mid(bad, 1)));
  }
  appendCsvField(out_, bytes, quote);
}

void appendCsvField(std::string& out, std::string_view bytes, bool quote) {
  quote = quote || bytes.find_first_of(",\"\r\n") != std::string_view::npos ||
          (!bytes.empty() && (bytes.front() == ' ' || bytes.back() == ' '));
  if (!quote) {
    out += bytes;
    return;
  }
  out += '"';
  for (char c : bytes) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void CsvWriter::endLine() {
  out_ += schema_.crlf ? "\r\n" : "\n";
  if (out_.size() >= static_cast<size_t>(kChunk)) flushBuffer();
}

void CsvWriter::flushBuffer() {
  if (!writeAll(fd_, out_.data(), out_.size())) fail(QStringLiteral("cannot write %1: %2").arg(temp_, systemError()));
  out_.clear();
}

void CsvWriter::append(const LocalRow& row, int64_t rowNumber) {
  if (committed_ || finished_) fail(QStringLiteral("the table was already written"));
  if (row.size() != static_cast<int>(schema_.columns.size()))
    fail(QStringLiteral("row %1 has %2 values for %3 columns").arg(rowNumber + 1).arg(row.size()).arg(schema_.columns.size()));
  for (int i = 0; i < row.size(); ++i) {
    if (i > 0) out_ += ',';
    const LocalColumn& column = schema_.columns[static_cast<size_t>(i)];
    const QVariant& value = row[i];
    if (value.isNull()) continue;
    QString text, error;
    if (!csvText(column.kind, value, text, &error))
      fail(QStringLiteral("row %1, column %2: %3").arg(rowNumber + 1).arg(column.name, error));
    const bool isText = column.kind == FieldKind::String || column.kind == FieldKind::Memo;
    put(text, isText && text.isEmpty(), rowNumber, column.name);  // "" keeps an empty text apart from NULL
  }
  endLine();
}

void CsvWriter::finish() {
  if (finished_) return;
  if (committed_) fail(QStringLiteral("the table was already written"));
  flushBuffer();
  if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
    fd_ = -1;
    fail(QStringLiteral("cannot write %1: %2").arg(temp_, systemError()));
  }
  fd_ = -1;
  if (withSchemaFile_) {
    const std::string text = csvSchemaText(schema_);
    schemaTemp_ = temporaryPath(schemaPathFor(path_));
    const int fd = ::open(QFile::encodeName(schemaTemp_).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    const bool written = fd >= 0 && writeAll(fd, text.data(), text.size()) && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!written) fail(QStringLiteral("cannot write %1: %2").arg(schemaTemp_, systemError()));
  }
  finished_ = true;
}

void CsvWriter::commit() {
  if (committed_) return;
  finish();
  if (withSchemaFile_ &&
      std::rename(QFile::encodeName(schemaTemp_).constData(), QFile::encodeName(schemaPathFor(path_)).constData()) != 0)
    fail(QStringLiteral("cannot replace %1: %2").arg(schemaPathFor(path_), systemError()));
  if (std::rename(QFile::encodeName(temp_).constData(), QFile::encodeName(path_).constData()) != 0)
    fail(QStringLiteral("cannot replace %1: %2").arg(path_, systemError()));
  committed_ = true;
}

}  // namespace korvel::db::local
