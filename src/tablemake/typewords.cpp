#include "tablemake/typewords.h"

namespace korvel {

std::optional<TFieldType> LookupTypeWord(std::string_view word) {
  for (const auto& row : TypeWordTable)
    if (row.word == word) return row.type;
  return std::nullopt;
}

std::string_view fieldTypeName(TFieldType type) {
  switch (type) {
    case TFieldType::ftString: return "ftString";
    case TFieldType::ftSmallint: return "ftSmallint";
    case TFieldType::ftInteger: return "ftInteger";
    case TFieldType::ftFloat: return "ftFloat";
    case TFieldType::ftCurrency: return "ftCurrency";
    case TFieldType::ftBCD: return "ftBCD";
    case TFieldType::ftBoolean: return "ftBoolean";
    case TFieldType::ftDate: return "ftDate";
    case TFieldType::ftTime: return "ftTime";
    case TFieldType::ftDateTime: return "ftDateTime";
    case TFieldType::ftMemo: return "ftMemo";
    case TFieldType::ftFmtMemo: return "ftFmtMemo";
    case TFieldType::ftGraphic: return "ftGraphic";
    case TFieldType::ftAutoInc: return "ftAutoInc";
  }
  return "ftUnknown";
}

}  // namespace korvel
