#include "db/local/keycodec.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cstring>

#include "common/codepage.h"

namespace korvel::db::local {
namespace {

constexpr int64_t kMsPerDay = 86400000;

void appendBigEndian(std::string& out, uint64_t bits) {
  for (int shift = 56; shift >= 0; shift -= 8) out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

// Signed integers: the sign bit flipped, so negative numbers come first.
void appendInteger(std::string& out, int64_t value) {
  appendBigEndian(out, static_cast<uint64_t>(value) ^ (uint64_t(1) << 63));
}

// Doubles: positive numbers with the sign bit set, negative ones with every
// bit inverted, so that the bytes sort as the numbers do.
void appendDouble(std::string& out, double value) {
  if (value == 0) value = 0;  // -0 sorts with 0
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  bits = (bits & (uint64_t(1) << 63)) ? ~bits : bits | (uint64_t(1) << 63);
  appendBigEndian(out, bits);
}

std::string textBytes(QStringView text) {
  std::string bytes;
  if (tryToCp932(text.toString(), bytes)) return bytes;
  const QByteArray utf8 = text.toUtf8();
  return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
}

// Bytes with a zero escaped as 00 FF and a 00 00 end, so that a text sorts
// before every longer text it starts.
void appendEscaped(std::string& out, const std::string& bytes) {
  for (char c : bytes) {
    out.push_back(c);
    if (c == '\0') out.push_back('\xFF');
  }
  out.append(2, '\0');
}

bool isAscii(QStringView text) {
  for (QChar c : text)
    if (c.unicode() >= 0x80) return false;
  return true;
}

}  // namespace

void appendKeyBytes(std::string& out, FieldKind kind, const QVariant& value) {
  if (value.isNull()) {
    out.push_back('\0');
    return;
  }
  out.push_back('\1');
  switch (kind) {
    case FieldKind::Smallint:
    case FieldKind::Integer:
    case FieldKind::Float:
    case FieldKind::Currency:
    case FieldKind::Decimal:
      appendDouble(out, value.toDouble());
      return;
    case FieldKind::Boolean:
      out.push_back(value.toBool() ? '\1' : '\0');
      return;
    case FieldKind::Date:
      appendInteger(out, value.toDate().toJulianDay());
      return;
    case FieldKind::Time:
      appendInteger(out, value.toTime().msecsSinceStartOfDay());
      return;
    case FieldKind::DateTime: {
      const QDateTime stamp = value.toDateTime();
      appendInteger(out, stamp.date().toJulianDay() * kMsPerDay + stamp.time().msecsSinceStartOfDay());
      return;
    }
    case FieldKind::Blob: {
      const QByteArray bytes = value.toByteArray();
      appendEscaped(out, std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
      return;
    }
    case FieldKind::String:
    case FieldKind::Memo:
      appendEscaped(out, textBytes(value.toString()));
      return;
  }
}

std::string keyBytes(const LocalRow& row, const std::vector<LocalColumn>& columns, int keyColumns) {
  std::string out;
  for (int i = 0; i < keyColumns && i < row.size(); ++i)
    appendKeyBytes(out, columns[static_cast<size_t>(i)].kind, row[i]);
  return out;
}

int compareCp932(QStringView a, QStringView b) {
  if (isAscii(a) && isAscii(b)) return a.compare(b);  // ASCII bytes are the same in both
  const std::string x = textBytes(a), y = textBytes(b);
  const int order = std::memcmp(x.data(), y.data(), std::min(x.size(), y.size()));
  if (order != 0) return order;
  return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
}

}  // namespace korvel::db::local
