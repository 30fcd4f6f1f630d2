#pragma once
// The field types a table is built from, and the table of type words that
// name them in a field grid or a definition script. Script lines are
// upper-cased before they are read, so of these words only VARCHAR, VARCHAR2
// and DATE can come from a script; the class names are for type cells typed
// into the grid by hand. NUMBER is decided by its digits and decimals and is
// not in the table.

#include <array>
#include <optional>
#include <string_view>

namespace korvel {

enum class TFieldType {
  ftString,
  ftSmallint,
  ftInteger,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftBoolean,
  ftDate,
  ftTime,
  ftDateTime,
  ftMemo,
  ftFmtMemo,
  ftGraphic,
  ftAutoInc,
};

struct TypeWord {
  std::string_view word;
  TFieldType type;
};

// Searched in this order, exact and case-sensitive; the first match counts.
inline constexpr std::array<TypeWord, 16> TypeWordTable{{
    {"TCurrencyField", TFieldType::ftCurrency},
    {"TSmallintField", TFieldType::ftSmallint},
    {"TIntegerField", TFieldType::ftInteger},
    {"TBCDField", TFieldType::ftBCD},
    {"TFloatField", TFieldType::ftFloat},
    {"TDateField", TFieldType::ftDate},
    {"TTimeField", TFieldType::ftTime},
    {"TDateTimeField", TFieldType::ftDateTime},
    {"TMemoField", TFieldType::ftMemo},
    {"TBlobField", TFieldType::ftFmtMemo},
    {"TGraphicField", TFieldType::ftGraphic},
    {"TBooleanField", TFieldType::ftBoolean},
    {"TAutoIncField", TFieldType::ftAutoInc},
    {"VARCHAR", TFieldType::ftString},
    {"VARCHAR2", TFieldType::ftString},
    {"DATE", TFieldType::ftDate},
}};

// The field type the table gives a type word; nullopt when no row matches.
std::optional<TFieldType> LookupTypeWord(std::string_view word);

// The field type and size a grid row's type word, digits and decimals give.
// NUMBER: decimals other than 0 give ftFloat; otherwise digits below 10
// ftInteger, 10 to 14 ftCurrency, 15 and more ftFloat; NUMBER without digits
// (any number, as in Oracle) ftFloat. The size is the digits. Other words go
// through TypeWordTable; DATE has size 0, the others the digits. nullopt: the
// word is refused.
struct FieldTypeChoice {
  TFieldType type;
  int size;
};
std::optional<FieldTypeChoice> FieldTypeOfWord(std::string_view typeWord, std::optional<int> digits,
                                               int decimals);

// "ftString", "ftDate" ...: the type's name for status texts.
std::string_view fieldTypeName(TFieldType type);

}  // namespace korvel
