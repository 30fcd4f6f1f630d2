#pragma once
// Character boundaries in a CP932 byte string. A walk from the start pairs
// every lead byte with the byte after it. A byte below 0x40 is never a trail
// byte nor a lead byte, so the position after it is always a boundary: the
// helpers below resynchronise there instead of walking from the start.

#include <string_view>

#include "common/leadbyte.h"

namespace korvel {

// The greatest boundary b with origin <= b <= i that can be found without a
// full walk (origin itself is taken to be a boundary).
inline size_t resyncPoint(std::string_view t, size_t origin, size_t i) {
  for (size_t k = i; k > origin; --k)
    if (static_cast<unsigned char>(t[k - 1]) < 0x40) return k;
  return origin;
}

// The first character boundary at or after i, for a walk that starts at origin.
inline size_t boundaryAtOrAfter(std::string_view t, size_t origin, size_t i) {
  size_t b = resyncPoint(t, origin, i);
  while (b < i) b += isLeadByte(t[b]) ? 2 : 1;
  return b;
}

}  // namespace korvel
