#include "tableinfo/listing.h"

#include "controls/combogrid.h"
#include "tableinfo/fieldrows.h"

namespace korvel::tableinfo {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QChar kTab = u'\t';

}  // namespace

QString japaneseTypeName(const QString& className) {
  static const struct {
    const char16_t* className;
    const char16_t* japanese;
  } kNames[] = {
      {u"TStringField", u"文字型"},       {u"TFloatField", u"実数型"},     {u"TIntegerField", u"整数型"},
      {u"TSmallintField", u"整数型(Small)"}, {u"TCurrencyField", u"金額型"}, {u"TMemoField", u"メモ型"},
      {u"TBooleanField", u"論理型"},      {u"TDateField", u"日付型"},      {u"TDateTimeField", u"日付時間型"},
  };
  for (const auto& n : kNames)
    if (className == QStringView(n.className)) return QString::fromUtf16(n.japanese);
  return QString();
}

QString TableListingText(const ListingSource& source, const TComboGrid& grid, bool specSheet) {
  QString text = source.caption + kCrLf + kCrLf + QStringLiteral("表名：") + kTab + source.tableName + kTab +
                 source.tableComment + kCrLf + kCrLf + QStringLiteral("インデックス名：") + kCrLf;
  for (const QString& line : source.indexLines) text += line + kCrLf;
  text += kCrLf;
  for (int row = 0; row < grid.RowCount(); ++row) {
    for (int col = 0; col < grid.ColCount(); ++col) {
      const QString cell = grid.Cells(col, row);
      const QString japanese = japaneseTypeName(cell);
      if (!japanese.isEmpty()) {
        text += japanese + kTab;
      } else if (specSheet) {
        if (col == kColSize || col == kColAlign || col == kColWidth) continue;
        text += cell.trimmed() + kTab;
      } else {
        text += cell + kTab;
      }
    }
    text += kCrLf;
  }
  return text;
}

QString GridCopyText(const QString& caption, const TComboGrid& grid, const QStringList& indexLines) {
  QString text = caption + kCrLf + kCrLf;
  for (int row = 0; row < grid.RowCount(); ++row) {
    for (int col = 0; col < grid.ColCount(); ++col) text += grid.Cells(col, row) + kTab;
    text += kCrLf;
  }
  text += kCrLf;
  for (const QString& line : indexLines) text += line + kCrLf;
  return text;
}

QString SelectText(const TComboGrid& grid, const QString& tableName) {
  QStringList names;
  for (int row = grid.FixedRows(); row < grid.RowCount(); ++row) names << grid.Cells(kColName, row);
  return QStringLiteral("SELECT ") + names.join(u',') + QStringLiteral(" FROM ") + tableName;
}

}  // namespace korvel::tableinfo
