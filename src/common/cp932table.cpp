#include "common/cp932table.h"

#include <iconv.h>

#include <array>
#include <memory>

namespace korvel::cp932 {
namespace {

constexpr char16_t kUnknown = 0xFFFF;  // a noncharacter: CP932 never gives it
constexpr uint16_t kNoForm = 0xFFFF;   // no CP932 lead byte is 0xFF

// One iconv conversion of `size` bytes; the bytes out, or -1 when iconv
// refuses them or does not take them all.
int convertOnce(iconv_t cd, const char* in, size_t size, char* out, size_t room) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  auto* src = const_cast<char*>(in);
  char* dst = out;
  size_t inLeft = size, outLeft = room;
  if (iconv(cd, &src, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return -1;
  return static_cast<int>(room - outLeft);
}

struct Tables {
  std::array<char16_t, 256> single{};  // byte -> character, kUnknown for lead and invalid bytes
  std::array<char16_t, 65536> pair{};  // lead << 8 | trail -> character
  std::array<uint16_t, 65536> code{};  // character -> byte (< 0x100) or lead << 8 | trail
  bool usable = false;

  Tables() {
    single.fill(kUnknown);
    pair.fill(kUnknown);
    code.fill(kNoForm);
    const iconv_t from = iconv_open("UTF-16LE", "CP932");
    const iconv_t to = iconv_open("CP932", "UTF-16LE");
    if (from == reinterpret_cast<iconv_t>(-1) || to == reinterpret_cast<iconv_t>(-1)) return;
    char unit[8];
    for (int b = 0; b < 256; ++b) {
      const char in = static_cast<char>(b);
      if (convertOnce(from, &in, 1, unit, sizeof unit) == 2) single[b] = static_cast<char16_t>(unitOf(unit));
    }
    for (int lead = 0x80; lead < 256; ++lead) {
      if (single[lead] != kUnknown) continue;
      for (int trail = 0; trail < 256; ++trail) {
        const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        if (convertOnce(from, in, 2, unit, sizeof unit) == 2) pair[lead << 8 | trail] = static_cast<char16_t>(unitOf(unit));
      }
    }
    for (int c = 0; c < 65536; ++c) {
      if (c >= 0xD800 && c <= 0xDFFF) continue;  // surrogates: left to iconv
      const char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
      char bytes[8];
      const int n = convertOnce(to, in, 2, bytes, sizeof bytes);
      if (n == 1) code[c] = static_cast<unsigned char>(bytes[0]);
      else if (n == 2 && static_cast<unsigned char>(bytes[0]) != 0xFF)
        code[c] = static_cast<uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]));
    }
    iconv_close(from);
    iconv_close(to);
    // The callers pass ASCII through as it is: the tables are used only
    // where iconv agrees.
    usable = true;
    for (int b = 0; b < 0x80; ++b) usable = usable && single[b] == b && code[b] == b;
  }
  static int unitOf(const char* utf16le) {
    return static_cast<unsigned char>(utf16le[0]) | static_cast<unsigned char>(utf16le[1]) << 8;
  }
};

const Tables& tables() {
  static const std::unique_ptr<Tables> built = std::make_unique<Tables>();
  return *built;
}

}  // namespace

bool decode(std::string_view bytes, QString& out) {
  const Tables& t = tables();
  if (!t.usable) return false;
  out.resize(static_cast<qsizetype>(bytes.size()));
  auto* d = reinterpret_cast<char16_t*>(out.data());
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t written = 0;
  for (size_t i = 0; i < n;) {
    const unsigned char lead = b[i];
    if (lead < 0x80 || t.single[lead] != kUnknown) {
      d[written++] = lead < 0x80 ? lead : t.single[lead];
      ++i;
      continue;
    }
    if (i + 1 >= n) return false;
    const char16_t c = t.pair[lead << 8 | b[i + 1]];
    if (c == kUnknown) return false;
    d[written++] = c;
    i += 2;
  }
  out.resize(static_cast<qsizetype>(written));
  return true;
}

bool encode(QStringView text, std::string& out) {
  const Tables& t = tables();
  if (!t.usable) return false;
  out.resize(static_cast<size_t>(text.size()) * 2);
  size_t written = 0;
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    if (c < 0x80) {
      out[written++] = static_cast<char>(c);
      continue;
    }
    const uint16_t code = t.code[c];
    if (code == kNoForm) return false;
    if (code >= 0x100) out[written++] = static_cast<char>(code >> 8);
    out[written++] = static_cast<char>(code & 0xFF);
  }
  out.resize(written);
  return true;
}

}  // namespace korvel::cp932
