#include "common/strings.h"

#include <QString>
#include <algorithm>

#include "common/codepage.h"
#include "common/cp932walk.h"
#include "common/leadbyte.h"

using korvel::boundaryAtOrAfter;
using korvel::isLeadByte;

namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

char upperByte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char lowerByte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Index of the first sub at or after `origin` that starts on a character
// boundary of a walk beginning at origin; npos if none.
size_t findAligned(std::string_view t, std::string_view sub, size_t origin) {
  if (sub.empty() || origin >= t.size()) return std::string_view::npos;
  size_t known = origin;  // a boundary at or before the next candidate
  for (size_t q = t.find(sub, origin); q != std::string_view::npos; q = t.find(sub, q + 1)) {
    const size_t b = boundaryAtOrAfter(t, known, q);
    if (b == q) return q;
    known = b;  // q was a trail byte; b = q + 1 is a boundary
  }
  return std::string_view::npos;
}

template <typename Map>
std::string mapSingleBytes(std::string_view text, Map map) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    if (isLeadByte(out[i])) ++i;  // the trail byte stays as it is
    else out[i] = map(out[i]);
  }
  return out;
}

std::string quoted(std::string_view text, char quote) {
  std::string out;
  out.reserve(text.size() + 2);
  out += quote;
  // Trail bytes are 0x40 or above, so a quote byte is always a character.
  for (char c : text) {
    out += c;
    if (c == quote) out += quote;
  }
  out += quote;
  return out;
}

// End of the run of single-byte characters from i that `stops` does not stop.
template <typename Stop>
size_t runEnd(std::string_view t, size_t i, Stop stops) {
  while (i < t.size() && !stops(t[i]) && !isLeadByte(t[i])) ++i;
  return i;
}

}  // namespace

int Qz_PosFrom(std::string_view text, std::string_view sub, int from) {
  if (from < 1) from = 1;
  if (static_cast<size_t>(from) > text.size()) return 0;
  const size_t at = findAligned(text, sub, static_cast<size_t>(from) - 1);
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

int Qz_PosFromNoCase(std::string_view text, std::string_view sub, int from) {
  return Qz_PosFrom(Qz_UpperHalf(text), Qz_UpperHalf(sub), from);
}

std::string Qz_ReplaceAll(std::string_view text, std::string_view oldText,
                          std::string_view newText) {
  if (oldText == newText || oldText.empty()) return std::string(text);
  std::string out;
  if (newText.size() >= oldText.size()) out.reserve(text.size() + text.size() / 8);
  size_t from = 0;
  for (size_t at = findAligned(text, oldText, 0); at != std::string_view::npos;
       at = findAligned(text, oldText, from)) {
    out.append(text.substr(from, at - from));
    out.append(newText);
    from = at + oldText.size();  // the search goes on after the inserted text
  }
  out.append(text.substr(std::min(from, text.size())));
  return out;
}

std::string Qz_UpperHalf(std::string_view text) { return mapSingleBytes(text, upperByte); }

std::string Qz_LowerHalf(std::string_view text) { return mapSingleBytes(text, lowerByte); }

std::string Qz_Capitalize(std::string_view text) {
  std::string t = Qz_LowerHalf(text);
  if (!t.empty() && !isLeadByte(t[0])) t[0] = upperByte(t[0]);
  return t;
}

int Qz_CompareOpt(std::string_view a, std::string_view b, std::string_view options) {
  bool upper = false, lower = false, prefix = false;
  for (char c : options) {
    c = upperByte(c);
    upper |= c == 'U';
    lower |= c == 'L';
    prefix |= c == 'S';
  }
  std::string x(a), y(b);
  if (upper) {
    x = Qz_UpperHalf(x);
    y = Qz_UpperHalf(y);
  }
  if (lower) {
    x = Qz_LowerHalf(x);
    y = Qz_LowerHalf(y);
  }
  if (prefix) {
    if (a.size() < b.size()) y.resize(x.size());
    else x.resize(y.size());
  }
  const int r = QString::localeAwareCompare(korvel::fromCp932(x), korvel::fromCp932(y));
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

std::string Qz_TrimLeft(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  return std::string(text.substr(i));
}

std::string Qz_TrimRight(std::string_view text) {
  size_t n = text.size();
  while (n > 0 && isBlank(text[n - 1])) --n;  // a trail byte is never a blank
  return std::string(text.substr(0, n));
}

std::string Qz_DelBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (!isBlank(c)) out += c;
  return out;
}

std::string Qz_DigitsOnly(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c >= '0' && c <= '9') out += c;
  return out;
}

std::string Qz_QuoteDbl(std::string_view text) { return quoted(text, '"'); }

std::string Qz_QuoteSgl(std::string_view text) { return quoted(text, '\''); }

std::string Qz_Unquote(std::string_view text) {
  if (text.size() < 2 || text[0] != '\'') return std::string(text);
  const size_t last = text.rfind('\'');
  if (last < 2) return {};  // the quote at position 2, or none after the first
  return std::string(text.substr(1, last - 1));
}

std::string Qz_AddBackslash(std::string_view path) {
  std::string out(path);
  if (path.empty()) return "\\";
  const size_t lastByte = path.size() - 1;
  const bool lastIsTrail = boundaryAtOrAfter(path, 0, lastByte) != lastByte;
  if (lastIsTrail || path[lastByte] != '\\') out += '\\';
  return out;
}

std::string Qz_SubBytes(std::string_view text, int start, int count) {
  if (count < 1) return {};
  const long long last = static_cast<long long>(start) + count - 1;
  const long long first = std::max(start, 1);
  const long long end = std::min<long long>(last, static_cast<long long>(text.size()));
  if (first > end) return {};
  const size_t a = static_cast<size_t>(first - 1);  // 0-based, inclusive
  const size_t b = static_cast<size_t>(end - 1);
  std::string out;
  out.reserve(b - a + 1);
  size_t from = a;
  if (boundaryAtOrAfter(text, 0, a) != a) {  // begins on a trail byte
    out += ' ';
    from = a + 1;
  }
  if (from > b) return out;
  // A lead byte as the last byte of the range (its trail outside the range
  // or missing altogether) becomes a space.
  const bool endsOnLead = boundaryAtOrAfter(text, from, b) == b && isLeadByte(text[b]);
  out.append(text.substr(from, b - from + (endsOnLead ? 0 : 1)));
  if (endsOnLead) out += ' ';
  return out;
}

std::string Qz_GetItem(std::string_view text, int& pos, char delimiter) {
  if (pos < 1) pos = 1;
  const long long n = static_cast<long long>(text.size());
  const int start = pos;
  while (pos <= n) {  // skip phase
    const char c = text[static_cast<size_t>(pos - 1)];
    if (c == delimiter) {
      if (pos == start) ++pos;  // the delimiter that ended the previous item
      break;
    }
    if (!isBlank(c)) break;
    ++pos;
  }
  std::string item;
  while (pos <= n) {  // collect phase
    const char c = text[static_cast<size_t>(pos - 1)];
    if (isLeadByte(c)) {
      item += c;
      if (pos < n) item += text[static_cast<size_t>(pos)];
      pos += pos < n ? 2 : 1;  // a lone lead byte at the end is kept as it is
      continue;
    }
    if (c == delimiter) break;
    item += c;
    ++pos;
  }
  return item;
}

void Qz_AddItem(std::string_view text, std::vector<std::string>& list) {
  list.emplace_back(text.empty() ? std::string_view("---") : text);
}

bool Qz_SplitTokens(std::string_view line, std::vector<std::string>& list) {
  enum class State { Between, Quoted, Plain } state = State::Between;
  list.clear();
  std::string token;
  const size_t n = line.size();
  for (size_t i = 0; i < n;) {
    const char c = line[i];
    if (isLeadByte(c)) {
      if (i + 1 == n) break;  // a lone lead byte at the end is dropped
      token += c;
      token += line[i + 1];
      if (state == State::Between) state = State::Plain;
      i += 2;
      continue;
    }
    switch (state) {
      case State::Between:
        if (c == '\'') {
          token += c;
          state = State::Quoted;
        } else if (!isBlank(c)) {
          token += c;
          state = State::Plain;
        }
        break;
      case State::Quoted:
        if (c == '\'' && i + 1 < n && line[i + 1] == '\'') {
          token += c;  // a doubled quote stands for one quote
          ++i;
        } else if (c == '\'') {
          token += c;
          Qz_AddItem(token, list);
          token.clear();
          state = State::Between;
        } else {  // the run up to the next quote or double-byte character
          const size_t end = runEnd(line, i, [](char b) { return b == '\''; });
          token.append(line, i, end - i);
          i = end;
          continue;
        }
        break;
      case State::Plain:
        if (isBlank(c)) {
          Qz_AddItem(token, list);
          token.clear();
          state = State::Between;
        } else {  // the run up to the next blank or double-byte character
          const size_t end = runEnd(line, i, isBlank);
          token.append(line, i, end - i);
          i = end;
          continue;
        }
        break;
    }
    ++i;
  }
  if (state != State::Between) Qz_AddItem(token, list);
  return true;
}
