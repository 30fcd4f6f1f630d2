#include "common/sqlliterals.h"

#include <string_view>

#include "common/datecodes.h"
#include "common/strings.h"

namespace {

enum class Form { Access, Oracle, Paradox };

// The literal that ends a string, joins CR LF and starts a new string.
constexpr std::string_view kLineBreak = "'||CHR(13)||CHR(10)||'";

std::string quotedText(const std::string& value) {
  std::string v = Qz_SubBytes(value, 1, static_cast<int>(value.size()));
  v = Qz_ReplaceAll(v, "'", "''");
  v = Qz_ReplaceAll(v, "\r\n", kLineBreak);
  // A value that ended with a line break: drop that last break.
  if (v.size() > 1 && v.ends_with("||'"))
    v = Qz_SubBytes(v, 1, static_cast<int>(v.size() - kLineBreak.size()));
  return "'" + v + "'";
}

std::string booleanText(const std::string& v) {
  for (const char* yes : {"Y", "YES", "T", "TRUE", "1", "1.000"})
    if (v == yes) return "1";
  return "0";
}

// D(v, code): the value read leniently and rendered by the code. Checked:
// an unreadable date raises instead of becoming 2000/01/01.
std::string dateText(const std::string& v, const char* code, bool checked) {
  std::string out;
  korvel::renderGivenCode(code, checked ? korvel::parseDateTimeOrThrow(v) : Qz_ParseDateTime(v),
                          out);
  return out;
}

std::string dateLiteral(Form form, const std::string& v, const char* code,
                        const char* oracleMask, const char* paradoxType, bool checked) {
  if (v.empty()) return "NULL";
  const std::string d = dateText(v, code, checked);
  switch (form) {
    case Form::Access: return "#" + d + "#";
    case Form::Oracle: return "TO_DATE( '" + d + "', '" + oracleMask + "' )";
    case Form::Paradox: return "CAST( '" + d + "' AS " + paradoxType + " )";
  }
  return {};
}

std::string literal(Form form, const std::string& type, const std::string& value,
                    bool checked = false) {
  const std::string v = value == "---" ? std::string() : value;
  if (type == "CH") {
    // The Paradox form keeps line breaks inside the string but still doubles
    // quotes: an undoubled quote would end the literal early.
    if (form != Form::Paradox) return quotedText(v);
    std::string out = "'";
    out += Qz_ReplaceAll(v, "'", "''");
    return out += "'";
  }
  if (type == "NU") return v.empty() ? "NULL" : Qz_NumText(v);
  if (type == "DA") return dateLiteral(form, v, "Cns_YYYYMMDDO", "YYYY/MM/DD", "DATE", checked);
  if (type == "DT")
    return dateLiteral(form, v, "Cns_YYYYMMDDHHMMSSO", "YYYY/MM/DD HH24:MI:SS", "DATE", checked);
  if (type == "TI") return dateLiteral(form, v, "Cns_HHMMSS", "HH24:MI:SS", "TIME", checked);
  if (type == "BL") return form == Form::Paradox ? std::string() : booleanText(v);
  return {};
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// [+-]? (digits [. digits?] | . digits) [eE] [+-]? digits, blanks around.
bool splitExponent(std::string_view t, std::string_view& mantissa, std::string_view& exponent) {
  while (!t.empty() && static_cast<unsigned char>(t.front()) <= 32) t.remove_prefix(1);
  while (!t.empty() && static_cast<unsigned char>(t.back()) <= 32) t.remove_suffix(1);
  const size_t e = t.find_first_of("eE");
  if (e == std::string_view::npos) return false;
  std::string_view m = t.substr(0, e), x = t.substr(e + 1);
  if (!m.empty() && (m[0] == '+' || m[0] == '-')) m.remove_prefix(1);
  if (!x.empty() && (x[0] == '+' || x[0] == '-')) x.remove_prefix(1);
  bool digitSeen = false, pointSeen = false;
  for (char c : m) {
    if (isDigit(c)) digitSeen = true;
    else if (c == '.' && !pointSeen) pointSeen = true;
    else return false;
  }
  if (!digitSeen || x.empty()) return false;
  for (char c : x)
    if (!isDigit(c)) return false;
  mantissa = t.substr(0, e);
  exponent = t.substr(e + 1);
  return true;
}

std::string plainNumber(std::string_view t) {
  size_t i = 0;
  char sign = 0;
  bool point = false;
  for (; i < t.size(); ++i) {  // leading part: up to the first significant digit
    const char c = t[i];
    if ((c >= '1' && c <= '9') || (c == '0' && point)) break;
    if ((c == '+' || c == '-') && !sign) sign = c;
    else if (c == '.' && !point) point = true;
  }
  std::string r = point ? "." : "";
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '+' || c == '-') {
      if (!sign) sign = c;
    } else if (c == '.') {
      if (!point) r += '.';
      point = true;
    } else if (isDigit(c)) {
      r += c;
    }
  }
  if (sign) r.insert(0, 1, sign);
  // No digit at all ("-", "+", "-.", "-0" ...) is not a number: 0.
  if (r == "-0" || r.find_first_of("0123456789") == std::string::npos) return "0";
  if (r[0] == '.') r.insert(0, 1, '0');
  return r;
}

}  // namespace

std::string Qz_NumText(const std::string& text) {
  std::string_view mantissa, exponent;
  if (splitExponent(text, mantissa, exponent)) {
    std::string e(exponent);
    if (e[0] == '+') e.erase(0, 1);
    return plainNumber(mantissa) + "E" + e;
  }
  return plainNumber(text);
}

std::string Qz_AccSqlAddSepa(const std::string& type, const std::string& value) {
  return literal(Form::Access, type, value);
}

std::string Qz_OraSqlAddSepa(const std::string& type, const std::string& value) {
  return literal(Form::Oracle, type, value);
}

std::string Qz_ParaSqlAddSepa(const std::string& type, const std::string& value) {
  return literal(Form::Paradox, type, value);
}

namespace {

Form formOf(const std::string& kind) {
  if (kind == "MSACCESS") return Form::Access;
  if (kind == "PARADOX") return Form::Paradox;
  return Form::Oracle;
}

}  // namespace

std::string Qz_SqlAddSepa(const std::string& kind, const std::string& type,
                          const std::string& value) {
  return literal(formOf(kind), type, value);
}

std::string korvel::sqlAddSepaChecked(const std::string& kind, const std::string& type,
                                      const std::string& value) {
  return literal(formOf(kind), type, value, true);
}
