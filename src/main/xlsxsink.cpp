#include "main/xlsxsink.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>
#include <string>

#include "db/dataset.h"
#include "db/fieldvalue.h"
#include "main/workbookfile.h"

namespace korvel {
namespace {

using korvel::db::Field;
using korvel::db::FieldKind;

constexpr double kExactIntegerLimit = 9007199254740992.0;  // 2^53

// A decimal text whose digits a double keeps exactly: at most 15
// significant digits.
bool fitsDouble(const QString& decimal, double& out) {
  bool ok = false;
  out = decimal.toDouble(&ok);
  if (!ok || !std::isfinite(out)) return false;
  std::string digits;
  for (QChar c : decimal) {
    if (c == u'e' || c == u'E') break;
    if (c.isDigit() && !(digits.empty() && c == u'0')) digits += static_cast<char>(c.unicode());
  }
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  return digits.size() <= 15;
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
        if (value.typeId() == QMetaType::QDate && value.toDate().isValid()) {
          book_.date(row_, c, value.toDate());
          continue;
        }
        break;
      case FieldKind::DateTime:
        if (value.typeId() == QMetaType::QDateTime && value.toDateTime().isValid()) {
          book_.dateTime(row_, c, value.toDateTime());
          continue;
        }
        break;
      case FieldKind::Time:
        if (value.typeId() == QMetaType::QTime && value.toTime().isValid()) {
          book_.time(row_, c, value.toTime());
          continue;
        }
        break;
      default:
        break;
    }
    // Text, and any value its kind's type could not hold: as the grid edits it.
    book_.text(row_, c, korvel::db::editText(field.kind(), value));
  }
  ++row_;
}

}  // namespace korvel
