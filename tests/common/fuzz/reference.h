#pragma once
// Slow, literal implementations of the string rules, written straight from
// their step-by-step descriptions. The fuzz checks compare the fast routines
// against them.

#include <string>
#include <vector>

#include "common/leadbyte.h"

namespace reference {

using korvel::isLeadByte;

// Walks the tail from `from` one character at a time.
inline int posFrom(const std::string& text, const std::string& sub, int from) {
  if (from < 1) from = 1;
  if (static_cast<size_t>(from) > text.size() || sub.empty()) return 0;
  const std::string tail = text.substr(static_cast<size_t>(from) - 1);
  for (size_t i = 0; i < tail.size(); i += isLeadByte(tail[i]) ? 2 : 1)
    if (tail.compare(i, sub.size(), sub) == 0) return from + static_cast<int>(i);
  return 0;
}

inline std::string replaceAll(std::string current, const std::string& oldText,
                              const std::string& newText) {
  if (oldText == newText) return current;
  int from = 1;
  for (;;) {
    const int p = posFrom(current, oldText, from);
    if (p == 0) return current;
    current = current.substr(0, static_cast<size_t>(p) - 1) + newText +
              current.substr(static_cast<size_t>(p) - 1 + oldText.size());
    from = p + static_cast<int>(newText.size());
  }
}

// The walk with positions 1..length, clipped to the text as the fast routine
// is (a range before position 1 yields nothing of it).
inline std::string subBytes(const std::string& t, int start, int count) {
  if (count < 1) return {};
  const long long last = static_cast<long long>(start) + count - 1;
  if (start < 1) {
    if (last < 1) return {};
    count = static_cast<int>(last);
    start = 1;
  }
  std::string r;
  long long i = 1;
  const long long n = static_cast<long long>(t.size());
  if (start > n) return {};
  while (i <= n) {
    if (i >= start) r += t[static_cast<size_t>(i - 1)];
    if (isLeadByte(t[static_cast<size_t>(i - 1)])) {
      ++i;
      if (start == i) r = " ";
      if (last < i || i > n) {  // the range ends on the lead byte (or the text does)
        r = r.substr(0, r.size() - 1) + " ";
        break;
      }
      if (i > start) r += t[static_cast<size_t>(i - 1)];
      ++i;
      if (last < i) break;
    } else {
      ++i;
      if (last < i) break;
    }
  }
  return r;
}

// Lines ended by CR LF, CR or LF; a last line without a break counts.
inline std::vector<std::string> lines(const std::string& bytes) {
  std::vector<std::string> out;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      out.push_back(line);
      line.clear();
      open = false;
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line += c;
      open = true;
    }
  }
  if (open) out.push_back(line);
  return out;
}

}  // namespace reference
