#pragma once
// CSV text tables: a header line of column names, then one record per line
// (RFC 4180: fields separated by commas, quoted with '"' when they hold a
// comma, quote or line break, a quote inside doubled), CR LF or LF line
// breaks, code page 932 text or UTF-8 after a byte-order mark. The schema
// file beside the table (csvschema.h) gives the column types.
//
// The reader walks the file on demand and remembers where every 256th
// record starts, so reading a row anywhere costs at most 255 records of
// parsing and memory does not grow with the file beyond that.

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/local/csvschema.h"
#include "db/local/localtable.h"

namespace korvel::db::local {

class CsvReader {
 public:
  // Reads the header line and the schema file. EngineError naming the file
  // (and line) when either is damaged or they do not match.
  explicit CsvReader(const QString& path);
  ~CsvReader();
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;

  const QString& path() const { return path_; }
  const CsvSchema& schema() const { return schema_; }
  const std::vector<LocalColumn>& columns() const { return schema_.columns; }
  bool hasSchemaFile() const { return hasSchemaFile_; }

  int64_t rowCount();  // reads to the end of the file once
  LocalRow row(int64_t n);  // EngineError naming the line when it is damaged
  // Record n into `out`; false when the file holds fewer records. EngineError
  // naming the line when it is damaged.
  bool readRow(int64_t n, LocalRow& out);
  // As readRow(), converting only the first `columns` values (the others
  // NULL): enough for a key, at a fraction of the cost.
  bool readLeading(int64_t n, size_t columns, LocalRow& out);
  // Whether record n exists (parses the file up to it, converts nothing).
  bool exists(int64_t n) { return locate(n); }
  bool changedOnDisk() const;

  // A field as it stands in the file, its quotes taken off.
  struct Field {
    std::string bytes;
    bool quoted = false;
  };
  // The fields of record n, unconverted (for a copy that binds the bytes
  // straight), valid until the next call; nullptr when the file holds
  // fewer records. `line`: the line where the record starts. EngineError
  // naming the line when the record is damaged or ragged.
  const std::vector<Field>* fields(int64_t n, int64_t& line);
  // The value of a field of column `column` as readRow() gives it.
  // EngineError naming the line and column when it is not one.
  void value(size_t column, const Field& field, int64_t line, QVariant& out) const;

 private:
  struct Position {
    int64_t offset = 0;
    int64_t line = 1;  // line number where the record starts
  };
  void readHeader();
  bool readRecord(Position& at, std::vector<Field>& fields);
  const char* window(int64_t offset, int64_t& available);
  int readPlainField(Position& at, std::string& bytes);
  void readQuotedField(Position& at, std::string& bytes, int64_t startLine);
  void jumpNear(int64_t n);
  void noteRecordRead();  // the cursor passed one record
  bool locate(int64_t n);
  void convert(const std::vector<Field>& fields, int64_t line, size_t columns, LocalRow& row);
  void checkFieldCount(const std::vector<Field>& fields, int64_t line) const;
  QString text(const std::string& bytes, int64_t line) const;
  int byteAt(int64_t offset);

  QString path_;
  int fd_ = -1;
  int64_t size_ = 0;
  int64_t modified_ = 0;
  CsvSchema schema_;
  bool hasSchemaFile_ = false;
  std::string buffer_;
  int64_t bufferStart_ = 0;
  std::vector<Position> checkpoints_;  // start of records 0, 256, 512 ...
  int64_t cursorRecord_ = 0;           // the record that starts at cursor_
  Position cursor_;
  int64_t count_ = -1;
  std::vector<Field> fields_;
  int64_t parsedRecord_ = -1;  // the record whose fields are in fields_, parsed at cursor_
  Position parsedEnd_;         // where that record ends
};

// Appends a field's bytes (in the file's encoding) to `out`, quoted where
// the file needs it (a comma, quote or line break inside, a blank at either
// end) or where `quote` asks; a quote inside is doubled.
void appendCsvField(std::string& out, std::string_view bytes, bool quote);

// Writes a CSV table (and, when asked, its schema file) to temporary files
// put in place by rename at commit().
class CsvWriter {
 public:
  CsvWriter(const QString& path, CsvSchema schema, bool withSchemaFile);
  ~CsvWriter();
  CsvWriter(const CsvWriter&) = delete;
  CsvWriter& operator=(const CsvWriter&) = delete;
  // EngineError naming the row and column when a value cannot be written.
  void append(const LocalRow& row, int64_t rowNumber);
  // Flushes the table (and schema) to temporary files on the disk; nothing
  // is replaced yet.
  void finish();
  // finish(), then puts the files in place by rename.
  void commit();

  // For a copy that encodes its records itself: the record's bytes go into
  // recordBuffer() (fields by appendCsvField(), joined by commas), then
  // endRecord() ends the line.
  const CsvSchema& schema() const { return schema_; }
  std::string& recordBuffer() { return out_; }
  void endRecord() { endLine(); }
  // Appends a text field to the record in the file's encoding; EngineError
  // naming the row and column for a character it has no form for.
  void put(const QString& text, bool quote, int64_t rowNumber, const QString& column);
  [[noreturn]] void fail(const QString& message) const;

 private:
  void endLine();
  void flushBuffer();

  QString path_, temp_, schemaTemp_;
  CsvSchema schema_;
  bool withSchemaFile_;
  int fd_ = -1;
  std::string out_;
  bool finished_ = false;
  bool committed_ = false;
};

}  // namespace korvel::db::local
