#pragma once
// CP932 bytes of a UTF-8 literal, for the fixed Japanese texts in the source.

#include <QString>
#include <array>
#include <string>

#include "common/codepage.h"

namespace korvel {

inline std::string cp932Text(const char* utf8) { return toCp932(QString::fromUtf8(utf8)); }

template <size_t N>
std::array<std::string, N> cp932Texts(const char* const (&utf8)[N]) {
  std::array<std::string, N> out;
  for (size_t i = 0; i < N; ++i) out[i] = cp932Text(utf8[i]);
  return out;
}

}  // namespace korvel
