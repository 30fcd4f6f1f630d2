#pragma once
// The lead-byte test of code page 932: a lead byte and the byte after it form
// one double-byte character. Half-width katakana (0xA1-0xDF) are single bytes;
// trail bytes are never below 0x40.

namespace korvel {

inline bool isLeadByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace korvel
