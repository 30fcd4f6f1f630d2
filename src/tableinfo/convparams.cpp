#include "tableinfo/convparams.h"

#include <charconv>

#include "common/strings.h"

namespace korvel::tableinfo {
namespace {

// The item as a whole number; 0 when it is not one.
int itemNumber(const std::string& item) {
  int value = 0;
  const char* end = item.data() + item.size();
  const auto [last, error] = std::from_chars(item.data(), end, value);
  return error == std::errc() && last == end ? value : 0;
}

}  // namespace

ParamLineItems SplitParamLine(std::string_view line) {
  ParamLineItems items;
  int pos = 5;
  items.item1 = itemNumber(Qz_GetItem(line, pos, ','));
  items.item2 = Qz_GetItem(line, pos, ',');
  items.item3 = Qz_GetItem(line, pos, ',');
  items.item4 = itemNumber(Qz_GetItem(line, pos, ','));
  items.item5 = Qz_GetItem(line, pos, ',');
  items.item6 = Qz_GetItem(line, pos, ',');
  items.fieldName = Qz_GetItem(line, pos, ',');
  items.comment = Qz_GetItem(line, pos, ',');
  return items;
}

ParamLine ReadParamLine(std::string_view raw) {
  ParamLine result;
  if (raw.empty()) return result;
  const std::string line = Qz_UpperHalf(raw);
  if (line.compare(0, 5, "TITLE") == 0) {
    result.kind = ParamLine::Title;
    result.tableComment = Qz_DelBlanks(line.size() > 5 ? std::string_view(line).substr(5) : std::string_view());
  } else if (line.compare(0, 3, "FLD") == 0) {
    result.kind = ParamLine::Field;
    result.items = SplitParamLine(line);
  }
  return result;
}

}  // namespace korvel::tableinfo
