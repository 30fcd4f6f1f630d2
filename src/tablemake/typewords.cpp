#include "tablemake/typewords.h"

#include "common/strings.h"

namespace korvel {

std::optional<TFieldType> LookupTypeWord(std::string_view word) {
  for (const auto& row : TypeWordTable)
    if (row.word == word) return row.type;
  return std::nullopt;
}

std::optional<FieldTypeChoice> FieldTypeOfWord(std::string_view typeWord, std::optional<int> digits,
                                               int decimals) {
  const int size = digits.value_or(0);
  if (typeWord == "NUMBER") {
    if (decimals != 0 || !digits || size >= 15) return FieldTypeChoice{TFieldType::ftFloat, size};
    return FieldTypeChoice{size < 10 ? TFieldType::ftInteger : TFieldType::ftCurrency, size};
  }
  const std::optional<TFieldType> type = LookupTypeWord(typeWord);
  if (!type) return std::nullopt;
  // DATE (compared over the shorter length, ignoring case) has no size.
  return FieldTypeChoice{*type, Qz_CompareOpt(typeWord, "DATE", "US") == 0 ? 0 : size};
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
