#include "db/local/paradoxlayout.h"

namespace korvel::db::local {
namespace {

constexpr int kFixedHeader = 0x58;
constexpr int kDataHeader = 0x20;  // after the fixed header in .DB files of version 4 and later

int u8(std::string_view b, size_t at) { return static_cast<uint8_t>(b[at]); }
int u16(std::string_view b, size_t at) { return u8(b, at) | (u8(b, at + 1) << 8); }
int s16(std::string_view b, size_t at) { return static_cast<int16_t>(u16(b, at)); }
uint32_t u32(std::string_view b, size_t at) {
  return static_cast<uint32_t>(u16(b, at)) | (static_cast<uint32_t>(u16(b, at + 2)) << 16);
}

bool validBlockSize(int kilobytes) {
  return kilobytes == 1 || kilobytes == 2 || kilobytes == 3 || kilobytes == 4 || kilobytes == 8 ||
         kilobytes == 16 || kilobytes == 32;
}

}  // namespace

int paradoxFieldLength(uint8_t type, int length) {
  switch (type) {
    case pxAlpha:
    case pxBytes: return length >= 1 && length <= 255 ? length : 0;
    case pxDate:
    case pxLong:
    case pxTime:
    case pxAutoInc: return length == 4 ? 4 : 0;
    case pxShort: return length == 2 ? 2 : 0;
    case pxCurrency:
    case pxNumber:
    case pxTimestamp: return length == 8 ? 8 : 0;
    case pxLogical: return length == 1 ? 1 : 0;
    case pxMemo:
    case pxBlob:
    case pxFmtMemo:
    case pxOle:
    case pxGraphic: return length >= 10 && length <= 250 ? length : 0;
    case pxBcd: return length >= 0 && length <= 32 ? 17 : 0;  // the header holds the decimals
    default: return 0;
  }
}

QString readParadoxLayout(std::string_view head, int64_t fileSize, ParadoxLayout& out) {
  out = ParadoxLayout();
  if (fileSize < kFixedHeader || head.size() < static_cast<size_t>(kFixedHeader))
    return QStringLiteral("the file is too short for a Paradox table header");
  const int fileType = u8(head, 0x04);
  if (fileType != 0 && fileType != 2)
    return QStringLiteral("not a Paradox table (file type %1)").arg(fileType);
  out.keyed = fileType == 0;
  out.version = u8(head, 0x39);
  if (out.version < 3 || out.version > 12)
    return QStringLiteral("unknown Paradox file version %1").arg(out.version);
  const int kilobytes = u8(head, 0x05);
  if (!validBlockSize(kilobytes)) return QStringLiteral("unknown block size %1 KB").arg(kilobytes);
  out.blockSize = kilobytes * 1024;
  out.recordSize = u16(head, 0x00);
  out.headerSize = u16(head, 0x02);
  out.numRecords = static_cast<int32_t>(u32(head, 0x06));
  out.fileBlocks = u16(head, 0x0C);
  out.firstBlock = u16(head, 0x0E);
  const int numFields = s16(head, 0x21);
  out.keyFields = s16(head, 0x23);
  out.encryption = u32(head, 0x25);
  if (out.recordSize <= 0 || out.recordSize > out.blockSize - ParadoxLayout::kBlockHeader)
    return QStringLiteral("record size %1 does not fit a block").arg(out.recordSize);
  if (numFields <= 0 || numFields > 255) return QStringLiteral("field count %1 is not valid").arg(numFields);
  if (out.numRecords < 0) return QStringLiteral("negative record count");
  if (out.keyFields < 0 || out.keyFields > numFields || (out.keyed && out.keyFields == 0) ||
      (!out.keyed && out.keyFields != 0))
    return QStringLiteral("key field count %1 is not valid").arg(out.keyFields);
  const bool dataHeader = out.version >= 5;
  const int fieldInfo = kFixedHeader + (dataHeader ? kDataHeader : 0);
  if (out.headerSize < fieldInfo + 2 * numFields || out.headerSize > fileSize)
    return QStringLiteral("header size %1 does not match the file").arg(out.headerSize);
  if (head.size() < static_cast<size_t>(fieldInfo + 2 * numFields))
    return QStringLiteral("the header is truncated");
  if (out.encryption == 0xFF00FF00u) out.encryption = dataHeader ? u32(head, 0x5C) : 0;
  if (dataHeader) out.codePage = u16(head, 0x6A);
  int total = 0;
  for (int i = 0; i < numFields; ++i) {
    ParadoxField field;
    field.type = static_cast<uint8_t>(u8(head, fieldInfo + 2 * i));
    const int size = u8(head, fieldInfo + 2 * i + 1);
    field.length = paradoxFieldLength(field.type, size);
    if (field.length == 0)
      return QStringLiteral("field %1 has an unknown type or size (%2, %3)").arg(i + 1).arg(field.type).arg(size);
    if (field.type == pxBcd) field.decimals = size;
    total += field.length;
    out.fields.push_back(field);
  }
  if (total != out.recordSize)
    return QStringLiteral("the fields take %1 bytes, the header says records take %2").arg(total).arg(out.recordSize);
  const int64_t blocksInFile = (fileSize - out.headerSize) / out.blockSize;
  if (out.fileBlocks > blocksInFile)
    return QStringLiteral("the header counts %1 blocks, the file holds %2").arg(out.fileBlocks).arg(blocksInFile);
  if (out.firstBlock < 0 || out.firstBlock > out.fileBlocks || (out.numRecords > 0 && out.firstBlock == 0))
    return QStringLiteral("first block %1 is not valid").arg(out.firstBlock);
  if (out.numRecords > int64_t(out.fileBlocks) * out.recordsPerBlock())
    return QStringLiteral("the header counts %1 records, the blocks hold at most %2")
        .arg(out.numRecords)
        .arg(int64_t(out.fileBlocks) * out.recordsPerBlock());
  return {};
}

}  // namespace korvel::db::local
