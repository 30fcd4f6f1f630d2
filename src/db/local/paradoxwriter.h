#pragma once
// Writes a Paradox .DB file (and its .PX primary index and .MB memo file)
// through pxlib. Everything goes to temporary files beside the table; only
// commit() puts them in place, each by one rename, so a failure or a crash
// part way leaves the table as it was.
//
// A keyed table keeps its records in key order and its key fields first:
// records must be appended in ascending, unique key order (the order of the
// stored key bytes, which sort as their values do).

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "db/local/localtable.h"
#include "db/local/paradoxlayout.h"

namespace korvel::db::local {


class ParadoxWriter {
 public:
  // `fields` and `names` describe the columns (types and lengths as stored);
  // the first `keyFields` of them form the primary key.
  ParadoxWriter(const QString& path, std::vector<ParadoxField> fields, QStringList names, int keyFields);
  ~ParadoxWriter();  // removes the temporary files unless committed
  ParadoxWriter(const ParadoxWriter&) = delete;
  ParadoxWriter& operator=(const ParadoxWriter&) = delete;

  int recordSize() const { return recordSize_; }
  int keyBytes() const { return keyBytes_; }
  // Encodes a row into record bytes. EngineError naming the column when a
  // value does not fit its field (too long, out of range, not CP932).
  std::string encode(const LocalRow& row, int64_t rowNumber);
  // Appends record bytes made by encode() (or read from a table of the same
  // layout without memo fields).
  void appendRecord(const std::string& record);
  void append(const LocalRow& row, int64_t rowNumber) { appendRecord(encode(row, rowNumber)); }
  // Writes the primary index and flushes every file to the disk; the table
  // is not replaced yet. EngineError when the disk refuses.
  void finish();
  // finish(), then puts the files in place, each by one rename.
  void commit();
  int64_t records() const { return records_; }

  // The stored form of a column of kind `kind` and `size` (memo: bytes kept
  // in the record). EngineError when Paradox has no such field.
  static ParadoxField fieldFor(const LocalColumn& column);

 private:
  void checkKeyOrder(const std::string& record);
  void writeIndex();
  [[noreturn]] void fail(const QString& message) const;

  QString path_;
  std::vector<ParadoxField> fields_;
  QStringList names_;
  int keyFields_ = 0;
  int recordSize_ = 0;
  int keyBytes_ = 0;
  bool hasMemo_ = false;
  int64_t records_ = 0;
  std::string lastKey_;
  bool finished_ = false;
  bool committed_ = false;
  struct Files;
  std::unique_ptr<Files> files_;
};

}  // namespace korvel::db::local
