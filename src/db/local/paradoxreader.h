#pragma once
// Reads a Paradox .DB file: its header (checked, then parsed by pxlib), and
// its records in file order, which for a keyed table is key order.
//
// pxlib locates a record by walking its list of blocks from the start for
// every record, which makes a walk through a large table quadratic. The
// reader therefore follows the chain of data blocks itself, remembering
// where each block starts (a few bytes per block, never per record), keeps
// the block it read last, and hands the record bytes to pxlib's field
// decoders.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/local/localtable.h"
#include "db/local/paradoxlayout.h"

namespace korvel::db::local {

class ParadoxReader {
 public:
  // Opens and checks the file. EngineError naming the file when it cannot be
  // read or its header is damaged.
  explicit ParadoxReader(const QString& path);
  ~ParadoxReader();
  ParadoxReader(const ParadoxReader&) = delete;
  ParadoxReader& operator=(const ParadoxReader&) = delete;

  const QString& path() const { return path_; }
  const ParadoxLayout& layout() const { return layout_; }
  const std::vector<LocalColumn>& columns() const { return columns_; }
  const QStringList& names() const { return names_; }
  int64_t rowCount() const { return layout_.numRecords; }
  int keyFields() const { return layout_.keyFields; }
  int keyBytes() const;  // bytes of the key fields at the start of a record

  // The stored bytes of record n (0-based, file order); valid until the next
  // call. EngineError naming the record when the blocks are damaged.
  const char* rawRecord(int64_t n);
  LocalRow decode(const char* raw, int64_t n);
  LocalRow row(int64_t n) { return decode(rawRecord(n), n); }
  // The first `count` fields of record n (its key, when count is keyFields()).
  LocalRow leadingFields(int64_t n, int count);
  // Where record n starts in the file.
  int64_t recordOffset(int64_t n);
  // Walks every block, so that a record count that does not match the blocks
  // is reported now. EngineError when it does not.
  void checkBlocks();

  // Empty when rows can be written back, else why not.
  QString writeRefusal() const;
  // Whether the file's size or modification time differ from when it was opened.
  bool changedOnDisk() const;
  bool hasMemo() const;

 private:
  void readHeader();
  struct Block {
    int64_t offset;    // of the block in the file
    int64_t first;     // number of its first record
    int records;
  };
  bool walkNextBlock();
  const Block& blockOf(int64_t record);
  void readExact(int64_t offset, char* into, int64_t size, const QString& where);
  QVariant decodeField(size_t field, const char* data, int64_t n);
  QVariant decodeBlob(size_t field, const char* data, int64_t n);
  [[noreturn]] void fail(int64_t record, const QString& message) const;

  QString path_;
  int fd_ = -1;
  int mbFd_ = -1;  // the .MB file, opened when a memo needs it
  int64_t fileSize_ = 0;
  int64_t modified_ = 0;
  ParadoxLayout layout_;
  std::vector<LocalColumn> columns_;
  QStringList names_;
  std::vector<int> offsets_;  // of each field in a record

  std::vector<Block> blocks_;
  int nextBlock_ = 0;      // next block of the chain to index; 0 once the chain ended
  int64_t walked_ = 0;     // records in the indexed blocks
  std::vector<char> visited_;  // blocks met while walking, against cycles
  int cachedBlock_ = -1;   // index into blocks_ of the block in cache_
  std::string cache_;

  struct Pxlib;            // the pxlib document (header parse, blob file)
  std::unique_ptr<Pxlib> px_;
  QString secondaryIndex_;  // a secondary index file beside the table, if any
};

// The file beside `path` with the same base name and extension `ext`
// (matched without regard to case); the name it would get when none exists,
// with the extension in the case of path's own.
QString companionFile(const QString& path, const QString& ext);

}  // namespace korvel::db::local
