#pragma once
// The fixed part of a Paradox .DB file's header, checked before anything
// else reads the file: every size, count and block number a damaged or
// truncated file could hold is tested against the file's real size, so the
// readers after this never index outside what the file holds.

#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

namespace korvel::db::local {

// Field type codes as stored in the header.
enum ParadoxType : uint8_t {
  pxAlpha = 0x01, pxDate = 0x02, pxShort = 0x03, pxLong = 0x04, pxCurrency = 0x05,
  pxNumber = 0x06, pxLogical = 0x09, pxMemo = 0x0C, pxBlob = 0x0D, pxFmtMemo = 0x0E,
  pxOle = 0x0F, pxGraphic = 0x10, pxTime = 0x14, pxTimestamp = 0x15, pxAutoInc = 0x16,
  pxBcd = 0x17, pxBytes = 0x18,
};

struct ParadoxField {
  uint8_t type = 0;
  int length = 0;    // bytes in the record
  int decimals = 0;  // BCD digits after the point
};

struct ParadoxLayout {
  int recordSize = 0;
  int headerSize = 0;
  int blockSize = 0;  // bytes per data block, block header included
  bool keyed = false;  // a primary-indexed table (records kept in key order)
  int keyFields = 0;
  int64_t numRecords = 0;
  int fileBlocks = 0;
  int firstBlock = 0;
  int version = 0;  // the header's file version id
  int codePage = 0;
  uint32_t encryption = 0;
  std::vector<ParadoxField> fields;

  int recordsPerBlock() const { return (blockSize - kBlockHeader) / recordSize; }
  int64_t blockOffset(int block) const { return headerSize + int64_t(block - 1) * blockSize; }
  static constexpr int kBlockHeader = 6;
};

// Checks the header at the start of `head` (at least the first 2048 bytes of
// the file, or all of it when shorter) for a file of `fileSize` bytes.
// Returns an empty text when it is sound, else what is wrong with it.
QString readParadoxLayout(std::string_view head, int64_t fileSize, ParadoxLayout& out);

// The bytes a field of `type` takes in a record, or 0 when a header giving
// `length` for it is not sound.
int paradoxFieldLength(uint8_t type, int length);

}  // namespace korvel::db::local
