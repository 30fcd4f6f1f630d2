#include "fuzz_checks.h"

#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cmath>

#include "common/datecodes.h"
#include "common/datetime.h"
#include "common/formats.h"
#include "common/leadbyte.h"
#include "common/programstate.h"
#include "common/sqlliterals.h"
#include "common/strings.h"
#include "common/textfile.h"
#include "reference.h"

namespace fuzzchecks {
namespace {

using korvel::isLeadByte;

// Reads small numbers from the front of the input.
class Reader {
 public:
  Reader(const uint8_t* d, size_t n) : d_(d), n_(n) {}
  uint8_t byte() { return i_ < n_ ? d_[i_++] : 0; }
  int smallInt() { return static_cast<int8_t>(byte()); }  // -128..127
  std::string text(size_t maxLength) {
    const size_t wanted = byte() % (maxLength + 1);  // read before the bytes left are counted
    const size_t len = std::min<size_t>(wanted, n_ - std::min(i_, n_));
    std::string s(reinterpret_cast<const char*>(d_ + std::min(i_, n_)), len);
    i_ += len;
    return s;
  }
  std::string rest() {
    std::string s(reinterpret_cast<const char*>(d_ + std::min(i_, n_)), n_ - std::min(i_, n_));
    i_ = n_;
    return s;
  }

 private:
  const uint8_t* d_;
  size_t n_;
  size_t i_ = 0;
};

// True when s ends in a lead byte that has no trail byte.
bool endsOnLoneLead(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    if (isLeadByte(s[i]) && i + 1 == s.size()) return true;
    i += isLeadByte(s[i]) ? 2 : 1;
  }
  return false;
}

void checkSubBytes(const std::string& text, int start, int count, const std::string& input) {
  const std::string r = Qz_SubBytes(text, start, count);
  if (r != reference::subBytes(text, start, count)) failed("SubBytes differs from the walk", input);
  const long long first = std::max(start, 1);
  const long long last = std::min<long long>(static_cast<long long>(start) + count - 1,
                                             static_cast<long long>(text.size()));
  const size_t expected = count < 1 || first > last ? 0 : static_cast<size_t>(last - first + 1);
  if (r.size() != expected) failed("SubBytes changed the byte length", input);
  if (endsOnLoneLead(r)) failed("SubBytes ends on a lone lead byte", input);
  // The first byte is either a replacement space or the start of a character.
  if (!r.empty() && r[0] != ' ' && first >= 1) {
    const std::string prefix = text.substr(0, static_cast<size_t>(first - 1));
    size_t i = 0;
    while (i < prefix.size()) i += isLeadByte(prefix[i]) ? 2 : 1;
    if (i != prefix.size()) failed("SubBytes starts on a trail byte", input);
  }
}

void checkPositionsAndReplace(const std::string& text, const std::string& sub,
                              const std::string& repl, int from, const std::string& input) {
  if (Qz_PosFrom(text, sub, from) != reference::posFrom(text, sub, from))
    failed("PosFrom differs from the walk", input);
  if (text.size() <= 512 && sub.size() >= 1) {
    if (Qz_ReplaceAll(text, sub, repl) != reference::replaceAll(text, sub, repl))
      failed("ReplaceAll differs from the loop", input);
  } else {
    Qz_ReplaceAll(text, sub, repl);  // must end
  }
  Qz_PosFromNoCase(text, sub, from);
  if (Qz_UpperHalf(text).size() != text.size() || Qz_LowerHalf(text).size() != text.size())
    failed("case mapping changed the length", input);
}

void checkGetItem(const std::string& text, char delimiter, const std::string& input) {
  int pos = 1;
  for (size_t calls = 0; pos <= static_cast<int>(text.size()); ++calls) {
    const int before = pos;
    const std::string item = Qz_GetItem(text, pos, delimiter);
    if (pos > static_cast<int>(text.size()) + 1) failed("GetItem moved past the end", input);
    if (pos < before || calls > text.size() + 2) failed("GetItem does not advance", input);
    if (item.size() > text.size()) failed("GetItem item longer than the text", input);
  }
}

void checkTokens(const std::string& text, const std::string& input) {
  std::vector<std::string> list{"stale"};
  if (!Qz_SplitTokens(text, list)) failed("SplitTokens returned false", input);
  size_t bytes = 0;
  for (const auto& t : list) {
    if (t.empty()) failed("SplitTokens added an empty token", input);
    bytes += t.size();
  }
  if (bytes > text.size() + 3 * list.size()) failed("SplitTokens invented bytes", input);
}

bool isSqlNumber(const std::string& s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && s[i] == 'E') {
    ++i;
    if (i < s.size() && s[i] == '-') ++i;
    size_t e = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++e;
    if (e == 0) return false;
  }
  return i == s.size();
}

void checkNumbersAndDates(const std::string& text, const std::string& input) {
  if (!isSqlNumber(Qz_NumText(text))) failed("NumText gave no SQL number", input);
  const double d = Qz_ParseDate(text);
  if (EditorResult != "OK" && EditorResult != "ERROR") failed("ParseDate left no status", input);
  korvel::decodeDateTime(d);  // always a representable date
  try {
    Qz_ParseDateTime(text);
    Qz_DateToCnsText(text, "Cns_YYYYMMDDHHMMSSO");
    Qz_OraSqlAddSepa("DT", text);
    korvel::sqlAddSepaChecked("MSACCESS", "DA", text);
  } catch (const korvel::ConvertError&) {
  }
  const std::string ch = Qz_OraSqlAddSepa("CH", text);
  if (ch.size() < 2 || ch.front() != '\'' || ch.back() != '\'') failed("CH literal not quoted", input);
}

void checkFormats(const std::string& pattern, double value, const std::string& input) {
  try {
    const std::string out = korvel::Format(
        pattern, {42, -7, 3.25, "text", static_cast<long long>(value), value, 0, 1});
    if (out.size() > pattern.size() * 200000 + 1000) failed("Format output too large", input);
  } catch (const korvel::FormatError&) {
  }
  korvel::FormatFloat(pattern, value);
  if (std::isfinite(value) && std::fabs(value) < 2e6)
    korvel::FormatDateTime(pattern, value);
}

void checkTextFile(const std::string& bytes, const std::string& input) {
  // One scratch file per process, removed when the process ends.
  struct ScratchFile {
    std::string path;
    ScratchFile() {
      const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
      path = std::string(dir) + "/korvel-fuzz-" + std::to_string(getpid()) + ".txt";
    }
    ~ScratchFile() { std::remove(path.c_str()); }
  };
  static const ScratchFile scratch;
  const std::string& path = scratch.path;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) failed("cannot write the temporary file", input);
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
  Qz_FTRecord f;
  f.fileName = path;
  if (Qz_FTOpen(f) != 0) failed("FTOpen failed", input);
  std::vector<std::string> got;
  while (Qz_FTRead(f) == 0) got.push_back(f.line);
  Qz_FTClose(f);
  if (got != reference::lines(bytes)) failed("FTRead lines differ", input);
}

}  // namespace

void runStep(const uint8_t* data, size_t size, const Step& step) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  Reader r(data, size);
  const uint8_t selector = r.byte();
  const int start = r.smallInt();
  const int count = r.smallInt();
  const char delimiter = static_cast<char>(r.byte());
  const std::string sub = r.text(4);
  const std::string repl = r.text(6);
  const std::string text = r.rest();

  checkSubBytes(text, start, count, input);
  checkSubBytes(text, start * 1000003, count * 7919, input);  // far outside ranges
  checkPositionsAndReplace(text, sub, repl, start, input);
  checkGetItem(text, delimiter, input);
  checkTokens(text, input);
  checkNumbersAndDates(text.substr(0, 64), input);
  double value = static_cast<double>(start) * 1000.5 + count / 7.0;
  if (selector & 1) value = -value;
  if (selector & 2) value *= 1e15;
  if ((selector & 0x1C) == 0x1C) value = selector & 0x20 ? HUGE_VAL : std::nan("");
  checkFormats(text.substr(0, 128), value, input);
  if (step.withTextFile) checkTextFile(text, input);
}

}  // namespace fuzzchecks
