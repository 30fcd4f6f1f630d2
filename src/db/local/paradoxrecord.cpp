#include "db/local/paradoxrecord.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>
#include <cstring>
#include <string>

#include "common/codepage.h"
#include "db/local/pxlib.h"

namespace korvel::db::local {
namespace {

constexpr int64_t kJulianOffset = 1721425;
constexpr int64_t kMsPerDay = 86400000;
// pxlib packs memos of up to 2048 bytes into shared blocks whose table has
// room for 64 of them, but it only checks the space left; memos shorter than
// this could overflow the table, so they are refused.
constexpr int kSmallestSharedMemo = 49;

FieldEncoding refuse(QString* why, const QString& text) {
  if (why) *why = text;
  return FieldEncoding::Refused;
}

FieldEncoding encodeText(px_doc* doc, const ParadoxField& f, const QString& text, char* at, bool withMemoFile,
                         QString* why) {
  std::string bytes;
  int bad = -1;
  if (!tryToCp932(text, bytes, &bad))
    return refuse(why, QStringLiteral("character %1 has no code page 932 form").arg(text.mid(bad, 1)));
  if (bytes.find('\0') != std::string::npos) return refuse(why, QStringLiteral("the text holds a zero character"));
  if (f.type == pxAlpha) {
    if (bytes.size() > static_cast<size_t>(f.length))
      return refuse(why, QStringLiteral("%1 bytes do not fit a field of %2").arg(bytes.size()).arg(f.length));
    std::memcpy(at, bytes.data(), bytes.size());
    return FieldEncoding::Done;
  }
  if (bytes.empty()) return FieldEncoding::Done;
  const int kept = f.length - 10;
  const int size = static_cast<int>(bytes.size());
  if (size > kept) {
    if (size < kSmallestSharedMemo)
      return refuse(why, QStringLiteral("a memo of %1 bytes cannot be written to a field keeping %2 bytes in the record")
                             .arg(size).arg(kept));
    if (!withMemoFile) return FieldEncoding::NeedsMemoFile;
  }
  if (PX_put_data_blob(doc, at, f.length, bytes.data(), size) < 0)
    return refuse(why, QStringLiteral("pxlib cannot write the memo"));
  return FieldEncoding::Done;
}

}  // namespace

FieldEncoding encodeParadoxField(px_doc* doc, const ParadoxField& f, const QVariant& value, char* at,
                                 bool withMemoFile, QString* why) {
  if (value.isNull()) return FieldEncoding::Done;  // a field of zero bytes is NULL
  switch (f.type) {
    case pxAlpha:
    case pxMemo:
      return encodeText(doc, f, value.toString(), at, withMemoFile, why);
    case pxShort: {
      bool ok = false;
      const int v = value.toInt(&ok);
      if (!ok || v < -32767 || v > 32767) return refuse(why, QStringLiteral("%1 is outside -32767..32767").arg(value.toString()));
      PX_put_data_short(doc, at, 2, static_cast<short>(v));
      return FieldEncoding::Done;
    }
    case pxLong:
    case pxAutoInc: {
      bool ok = false;
      const qlonglong v = value.toLongLong(&ok);
      if (!ok || v < -2147483647LL || v > 2147483647LL)
        return refuse(why, QStringLiteral("%1 is outside -2147483647..2147483647").arg(value.toString()));
      PX_put_data_long(doc, at, 4, static_cast<int>(v));
      return FieldEncoding::Done;
    }
    case pxNumber:
    case pxCurrency: {
      bool ok = false;
      const double v = value.toDouble(&ok);
      if (!ok || !std::isfinite(v)) return refuse(why, QStringLiteral("%1 is not a number").arg(value.toString()));
      PX_put_data_double(doc, at, 8, v);
      return FieldEncoding::Done;
    }
    case pxLogical:
      PX_put_data_byte(doc, at, 1, value.toBool() ? 1 : 0);
      return FieldEncoding::Done;
    case pxDate: {
      const QDate date = value.toDate();
      if (!date.isValid() || date.year() < 1) return refuse(why, QStringLiteral("%1 is not a date Paradox can hold").arg(value.toString()));
      PX_put_data_long(doc, at, 4, static_cast<int>(date.toJulianDay() - kJulianOffset));
      return FieldEncoding::Done;
    }
    case pxTime: {
      const QTime time = value.toTime();
      if (!time.isValid()) return refuse(why, QStringLiteral("%1 is not a time").arg(value.toString()));
      PX_put_data_long(doc, at, 4, time.msecsSinceStartOfDay());
      return FieldEncoding::Done;
    }
    case pxTimestamp: {
      const QDateTime stamp = value.toDateTime();
      if (!stamp.isValid() || stamp.date().year() < 1)
        return refuse(why, QStringLiteral("%1 is not a date and time Paradox can hold").arg(value.toString()));
      const double ms = double(stamp.date().toJulianDay() - kJulianOffset) * kMsPerDay +
                        stamp.time().msecsSinceStartOfDay();
      PX_put_data_double(doc, at, 8, ms);
      return FieldEncoding::Done;
    }
    default:
      return refuse(why, QStringLiteral("fields of type %1 cannot be written").arg(f.type));
  }
}

}  // namespace korvel::db::local
