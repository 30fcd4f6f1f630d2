#include "common/codepage.h"

#include "common/cp932table.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>
#include <vector>

namespace korvel {
namespace {

// iconv descriptors are not thread-safe; the program has one GUI thread, but
// tests and benchmarks may convert from several. One lock keeps it simple.
std::mutex g_lock;

iconv_t openDescriptor(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("iconv cannot convert ") + from +
                             " to " + to);
  return cd;
}

iconv_t toCp932Descriptor() {
  static iconv_t cd = openDescriptor("CP932", "UTF-16LE");
  return cd;
}

iconv_t fromCp932Descriptor() {
  static iconv_t cd = openDescriptor("UTF-16LE", "CP932");
  return cd;
}

// Length of the CP932 character starting at b: 2 for a lead byte followed by
// a byte, else 1.
int cp932CharLength(std::string_view bytes, size_t at) {
  const auto b = static_cast<unsigned char>(bytes[at]);
  const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  return (lead && at + 1 < bytes.size()) ? 2 : 1;
}

// Code page 932 keeps ASCII as it is: text of ASCII only (most generated
// and typed data) is copied without the lock and iconv, which cost more
// than posting a row.
bool isAscii(const QString& text) {
  for (const QChar c : text)
    if (c.unicode() >= 0x80) return false;
  return true;
}

bool isAscii(std::string_view bytes) {
  for (const char b : bytes)
    if (static_cast<unsigned char>(b) >= 0x80) return false;
  return true;
}

}  // namespace

bool tryToCp932(const QString& text, std::string& out, int* badIndex) {
  out.clear();
  if (badIndex) *badIndex = -1;
  if (text.isEmpty()) return true;
  if (isAscii(text)) {
    out.resize(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) out[static_cast<size_t>(i)] = static_cast<char>(text[i].unicode());
    return true;
  }
  if (cp932::encode(text, out)) return true;  // else iconv says which character has no form
  std::lock_guard guard(g_lock);
  iconv_t cd = toCp932Descriptor();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  auto* in = const_cast<char*>(reinterpret_cast<const char*>(text.utf16()));
  size_t inLeft = static_cast<size_t>(text.size()) * 2;
  out.resize(static_cast<size_t>(text.size()) * 2 + 8);
  char* dst = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1)) {
      if (errno == E2BIG) {  // cannot happen with 2 bytes per UTF-16 unit, but be safe
        const size_t used = static_cast<size_t>(dst - out.data());
        out.resize(out.size() * 2);
        dst = out.data() + used;
        outLeft = out.size() - used;
        continue;
      }
      if (badIndex)
        *badIndex = static_cast<int>(
            (in - reinterpret_cast<const char*>(text.utf16())) / 2);
      out.clear();
      return false;
    }
  }
  out.resize(static_cast<size_t>(dst - out.data()));
  return true;
}

std::string toCp932(const QString& text) {
  std::string out;
  int bad = -1;
  if (!tryToCp932(text, out, &bad)) {
    const QString ch = bad >= 0 && bad < text.size() ? text.mid(bad, 1) : QString();
    const uint code = ch.isEmpty() ? 0 : ch[0].unicode();
    const QString hex = QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0'));
    throw CodePageError(
        QStringLiteral("文字「%1」(U+%2) はコードページ932で表せません").arg(ch, hex), bad);
  }
  return out;
}

QString fromCp932(std::string_view bytes, int* firstBad) {
  if (firstBad) *firstBad = -1;
  QString result;
  if (bytes.empty()) return result;
  if (isAscii(bytes)) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  if (cp932::decode(bytes, result)) return result;
  result.clear();  // iconv replaces what is not CP932 and says where
  std::lock_guard guard(g_lock);
  iconv_t cd = fromCp932Descriptor();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::vector<char16_t> buffer(bytes.size() + 4);
  size_t pos = 0;
  while (pos < bytes.size()) {
    auto* in = const_cast<char*>(bytes.data() + pos);
    size_t inLeft = bytes.size() - pos;
    auto* dst = reinterpret_cast<char*>(buffer.data());
    size_t outLeft = buffer.size() * 2;
    const size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
    const size_t produced = (buffer.size() * 2 - outLeft) / 2;
    result.append(reinterpret_cast<const QChar*>(buffer.data()),
                  static_cast<qsizetype>(produced));
    pos = bytes.size() - inLeft;
    if (rc != static_cast<size_t>(-1)) break;
    // An invalid or truncated sequence: replace one character and go on.
    if (firstBad && *firstBad < 0) *firstBad = static_cast<int>(pos);
    result.append(QChar(0xFFFD));
    pos += static_cast<size_t>(cp932CharLength(bytes, pos));
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return result;
}

}  // namespace korvel
