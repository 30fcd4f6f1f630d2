// FormatFloat: number patterns made of digit placeholders (0 #), a decimal
// point, thousands flag (,), exponent (E+ E- e+ e-), quoted literal text and
// up to three ';'-separated sections (positive; negative; zero).

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

#include "common/floatdigits.h"
#include "common/formats.h"
#include "common/leadbyte.h"

namespace korvel {
namespace {

struct Section {
  std::string_view text;
  int intPlaces = 0;       // placeholders before the point
  int firstIntZero = -1;   // index of the first '0' among them
  int fracPlaces = 0;      // placeholders after the point
  int lastFracZero = -1;   // index of the last '0' among them
  bool point = false;
  bool thousands = false;
  bool scientific = false;
  int expDigits = 0;       // the '0's after E+ / E-
};

// Length of the element at i: a quoted run, a double-byte character or one byte.
size_t elementLength(std::string_view t, size_t i) {
  if (t[i] == '\'' || t[i] == '"') {
    const size_t close = t.find(t[i], i + 1);
    return close == std::string_view::npos ? t.size() - i : close - i + 1;
  }
  return isLeadByte(t[i]) && i + 1 < t.size() ? 2 : 1;
}

bool isExponentAt(std::string_view t, size_t i) {
  return (t[i] == 'E' || t[i] == 'e') && i + 1 < t.size() &&
         (t[i + 1] == '+' || t[i + 1] == '-');
}

std::vector<std::string_view> splitSections(std::string_view pattern) {
  std::vector<std::string_view> out;
  size_t start = 0;
  for (size_t i = 0; i < pattern.size(); i += elementLength(pattern, i)) {
    if (pattern[i] == ';') {
      out.push_back(pattern.substr(start, i - start));
      start = i + 1;
    }
  }
  out.push_back(pattern.substr(start));
  if (out.size() > 3) out.resize(3);
  return out;
}

Section analyse(std::string_view t) {
  Section s;
  s.text = t;
  for (size_t i = 0; i < t.size(); i += elementLength(t, i)) {
    const char c = t[i];
    if (c == '0' || c == '#') {
      if (s.point) {
        if (c == '0') s.lastFracZero = s.fracPlaces;
        ++s.fracPlaces;
      } else {
        if (c == '0' && s.firstIntZero < 0) s.firstIntZero = s.intPlaces;
        ++s.intPlaces;
      }
    } else if (c == '.') {
      s.point = true;
    } else if (c == ',') {
      s.thousands = true;
    } else if (isExponentAt(t, i)) {
      s.scientific = true;
      for (size_t j = i + 2; j < t.size() && t[j] == '0' && s.expDigits < 4; ++j) ++s.expDigits;
      break;  // what follows the exponent digits is literal text
    }
  }
  return s;
}

class SectionWriter {
 public:
  SectionWriter(const Section& s, double magnitude, const FormatSettings& settings)
      : s_(s), set_(settings) {
    DecimalDigits d;
    if (s.scientific) {
      d = significantDigits(magnitude, std::clamp(s.intPlaces + s.fracPlaces, 1, 18));
      exponent_ = d.isZero() ? 0 : d.exponent - s.intPlaces;
      if (!d.isZero()) d.exponent = s.intPlaces;
    } else {
      d = fixedDigits(magnitude, s.fracPlaces);
    }
    zero_ = d.isZero();
    intDigits_ = integerPart(d);
    if (intDigits_ == "0") intDigits_.clear();
    const int minInt = s.firstIntZero < 0 ? 0 : s.intPlaces - s.firstIntZero;
    if (static_cast<int>(intDigits_.size()) < minInt)
      intDigits_.insert(0, static_cast<size_t>(minInt) - intDigits_.size(), '0');
    fracDigits_ = fractionPart(d, s.fracPlaces);
    // '#' places drop trailing zeros; '0' places keep them.
    const size_t lastNonZero = fracDigits_.find_last_not_of('0');
    const int significant = lastNonZero == std::string::npos ? 0 : static_cast<int>(lastNonZero) + 1;
    fracShown_ = std::max(s.lastFracZero + 1, significant);
  }

  bool roundsToZero() const { return zero_; }
  std::string write();

 private:
  void emitIntDigit(long long j);
  void emitIntegerPlaceholder();
  void emitExponent(size_t& i);

  const Section& s_;
  const FormatSettings& set_;
  std::string intDigits_, fracDigits_, out_;
  int fracShown_ = 0, exponent_ = 0, intSeen_ = 0, fracSeen_ = 0;
  bool zero_ = false, intDone_ = false, pointSeen_ = false;
};

void SectionWriter::emitIntDigit(long long j) {
  const auto n = static_cast<long long>(intDigits_.size());
  if (j < 0 || j >= n) return;
  if (s_.thousands && set_.thousandSeparator && j > 0 && (n - j) % 3 == 0)
    out_ += set_.thousandSeparator;
  out_ += intDigits_[static_cast<size_t>(j)];
}

// The first integer placeholder also takes the digits that have no
// placeholder of their own.
void SectionWriter::emitIntegerPlaceholder() {
  const long long extra = static_cast<long long>(intDigits_.size()) - s_.intPlaces;
  if (intSeen_ == 0)
    for (long long j = 0; j < extra; ++j) emitIntDigit(j);
  emitIntDigit(extra + intSeen_);
  if (++intSeen_ == s_.intPlaces) intDone_ = true;
}

void SectionWriter::emitExponent(size_t& i) {
  const std::string_view t = s_.text;
  out_ += t[i];
  if (exponent_ < 0) out_ += '-';
  else if (t[i + 1] == '+') out_ += '+';
  std::string e = std::to_string(std::abs(exponent_));
  if (static_cast<int>(e.size()) < s_.expDigits)
    e.insert(0, static_cast<size_t>(s_.expDigits) - e.size(), '0');
  out_ += e;
  i += 2;
  for (int k = 0; k < s_.expDigits; ++k) ++i;
}

std::string SectionWriter::write() {
  const std::string_view t = s_.text;
  bool afterExponent = false;
  for (size_t i = 0; i < t.size();) {
    const char c = t[i];
    const size_t len = elementLength(t, i);
    if (afterExponent || len > 1 || (c != '0' && c != '#' && c != '.' && c != ',' &&
                                     !(s_.scientific && isExponentAt(t, i)))) {
      if (c == '\'' || c == '"') {  // quoted text without its quotes
        const size_t inner = len >= 2 && t[i + len - 1] == c ? len - 2 : len - 1;
        out_.append(t.substr(i + 1, inner));
      } else {
        out_.append(t.substr(i, len));
      }
      i += len;
      continue;
    }
    if (c == ',') {
      ++i;
    } else if (c == '.') {
      if (!pointSeen_) {
        pointSeen_ = true;
        if (!intDone_) {  // no integer placeholders: the digits go before the point
          for (size_t j = 0; j < intDigits_.size(); ++j) emitIntDigit(static_cast<long long>(j));
          intDone_ = true;
        }
        if (fracShown_ > 0) out_ += set_.decimalSeparator;
      }
      ++i;
    } else if (c == '0' || c == '#') {
      if (!pointSeen_) emitIntegerPlaceholder();
      else if (fracSeen_++ < fracShown_) out_ += fracDigits_[static_cast<size_t>(fracSeen_ - 1)];
      ++i;
    } else {  // exponent
      emitExponent(i);
      afterExponent = true;
    }
  }
  return out_;
}

bool isEmptySection(const std::vector<std::string_view>& sections, size_t index) {
  return index >= sections.size() || sections[index].empty();
}

}  // namespace

std::string FormatFloat(const std::string& pattern, double value,
                        const FormatSettings& settings) {
  if (auto special = nonFiniteText(value); !special.empty()) return special;
  if (pattern.empty()) return FloatToStr(value, settings);
  const auto sections = splitSections(pattern);
  Section chosen = analyse(sections[0]);
  bool showSign = false;
  if (value < 0) {
    if (!isEmptySection(sections, 1)) chosen = analyse(sections[1]);
    else showSign = true;
  }
  // Beyond 18 integer digits a fixed pattern cannot be exact: general form.
  if (!chosen.scientific && std::fabs(value) >= 1e18) return FloatToStr(value, settings);
  SectionWriter probe(chosen, std::fabs(value), settings);
  if (probe.roundsToZero()) {
    showSign = false;  // never "-0"
    if (!isEmptySection(sections, 2)) {
      const Section zero = analyse(sections[2]);
      return SectionWriter(zero, 0.0, settings).write();
    }
  }
  std::string text = probe.write();
  return showSign ? "-" + text : text;
}

std::string FormatFloat(const std::string& pattern, double value) {
  return FormatFloat(pattern, value, formatSettings());
}

}  // namespace korvel
