#include "main/xlsxsink.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>
#include <optional>
#include <string>

#include "common/floatdigits.h"
#include "db/dataset.h"
#include "db/fieldvalue.h"
#include "main/workbookfile.h"

namespace korvel {
namespace {

using korvel::db::Field;
using korvel::db::FieldKind;

constexpr double kExactIntegerLimit = 9007199254740992.0;  // 2^53

// A decimal text whose digits a double keeps exactly: the text's digits
// are the double's own shortest digits ("0.1", a double SQLite keeps), where
// a 28-digit NUMERIC is not.
bool fitsDouble(const QString& decimal, double& out) {
  bool ok = false;
  out = decimal.toDouble(&ok);
  if (!ok || !std::isfinite(out)) return false;
  const std::optional<korvel::DecimalDigits> digits = korvel::decimalTextDigits(decimal.toStdString());
  if (!digits) return false;
  if (digits->isZero()) return out == 0;
  const korvel::DecimalDigits shortest = korvel::exactDigits(out);
  return digits->digits == shortest.digits && digits->exponent == shortest.exponent;
}

// A number value as a number where that keeps it exact.
bool numberOf(const QVariant& value, double& out) {
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
      out = value.toDouble();
      return std::fabs(out) <= kExactIntegerLimit;
    case QMetaType::Double:
    case QMetaType::Float:
      out = value.toDouble();
      return std::isfinite(out);
    case QMetaType::QString:
      return fitsDouble(value.toString(), out);
    default:
      return false;
  }
}

}  // namespace

void XlsxGridSink::textRow(const QStringList& cells) {
  for (int c = 0; c < cells.size(); ++c) book_.text(row_, c, cells[c]);
  ++row_;
}

void XlsxGridSink::titles(const QStringList& labels) { textRow(labels); }

void XlsxGridSink::comments(const QStringList& comments) { textRow(comments); }

void XlsxGridSink::record(korvel::db::Dataset& ds, const std::vector<int>& fields) {
  for (int c = 0; c < static_cast<int>(fields.size()); ++c) {
    const Field& field = ds.field(fields[c]);
    const QVariant value = field.value();
    if (value.isNull()) continue;
    double number = 0;
    switch (field.kind()) {
      case FieldKind::Smallint:
      case FieldKind::Integer:
      case FieldKind::Float:
      case FieldKind::Currency:
      case FieldKind::Decimal:
        if (numberOf(value, number)) {
          book_.number(row_, c, number);
          continue;
        }
        break;
      case FieldKind::Boolean:
        if (value.typeId() == QMetaType::Bool) {
          book_.boolean(row_, c, value.toBool());
          continue;
        }
        break;
      case FieldKind::Date:
      case FieldKind::Time:
      case FieldKind::DateTime: {
        // Dates and times arrive as Qt values or as the text the database
        // wrote; one that Excel cannot hold (a zone, BC) goes as text.
        const QVariant stamp = korvel::db::qtDateTimeValue(field.kind(), value);
        if (stamp.typeId() == QMetaType::QDate) {
          book_.date(row_, c, stamp.toDate());
          continue;
        }
        if (stamp.typeId() == QMetaType::QTime) {
          book_.time(row_, c, stamp.toTime());
          continue;
        }
        if (stamp.typeId() == QMetaType::QDateTime) {
          book_.dateTime(row_, c, stamp.toDateTime());
          continue;
        }
        break;
      }
      default:
        break;
    }
    // Text, and any value its kind's type could not hold: as the grid edits it.
    book_.text(row_, c, korvel::db::editText(field.kind(), value));
  }
  ++row_;
}

}  // namespace korvel
