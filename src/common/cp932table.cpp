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

bool decodeToUtf8(std::string_view bytes, std::string& out) {
  const Tables& t = tables();
  if (!t.usable) return false;
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  // Each byte gives at most three bytes of UTF-8 (a single-byte katakana).
  const size_t start = out.size();
  out.resize(start + n * 3);
  auto* d = reinterpret_cast<unsigned char*>(out.data() + start);
  for (size_t i = 0; i < n;) {
    const unsigned char lead = b[i];
    if (lead < 0x80) {
      *d++ = lead;
      ++i;
      continue;
    }
    char16_t c = t.single[lead];
    if (c != kUnknown) {
      ++i;
    } else {
      if (i + 1 >= n) return false;
      c = t.pair[lead << 8 | b[i + 1]];
      if (c == kUnknown) return false;
      i += 2;
    }
    // CP932 characters are all in the Basic Multilingual Plane, none a surrogate.
    if (c < 0x800) {
      *d++ = static_cast<unsigned char>(0xC0 | c >> 6);
    } else {
      *d++ = static_cast<unsigned char>(0xE0 | c >> 12);
      *d++ = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
    }
    *d++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
  }
  out.resize(static_cast<size_t>(reinterpret_cast<char*>(d) - out.data()));
  return true;
}

bool encodeFromUtf8(std::string_view utf8, std::string& out) {
  const Tables& t = tables();
  if (!t.usable) return false;
  const auto* b = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t n = utf8.size();
  const auto continuation = [&](size_t at) { return at < n && (b[at] & 0xC0) == 0x80; };
  // No character takes more bytes in CP932 than in UTF-8.
  const size_t start = out.size();
  out.resize(start + n);
  auto* d = reinterpret_cast<unsigned char*>(out.data() + start);
  for (size_t i = 0; i < n;) {
    const unsigned char lead = b[i];
    if (lead < 0x80) {
      *d++ = lead;
      ++i;
      continue;
    }
    char32_t c = 0;
    if (lead >= 0xC2 && lead < 0xE0 && continuation(i + 1)) {
      c = char32_t(lead & 0x1F) << 6 | (b[i + 1] & 0x3F);
      i += 2;
    } else if (lead >= 0xE0 && lead < 0xF0 && continuation(i + 1) && continuation(i + 2)) {
      c = char32_t(lead & 0x0F) << 12 | char32_t(b[i + 1] & 0x3F) << 6 | (b[i + 2] & 0x3F);
      if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF)) return false;  // overlong, or a surrogate
      i += 3;
    } else {
      return false;
    }
    const uint16_t code = t.code[c];
    if (code == kNoForm) return false;
    if (code >= 0x100) *d++ = static_cast<unsigned char>(code >> 8);
    *d++ = static_cast<unsigned char>(code & 0xFF);
  }
  out.resize(static_cast<size_t>(reinterpret_cast<char*>(d) - out.data()));
  return true;
}

}  // namespace korvel::cp932
