#pragma once
// Runtime number, currency and date-time format settings, and the program's
// own formatting routines over CP932 byte strings:
//   Format          Pascal-style directives %d %u %e %f %g %n %m %p %s %x with
//                   optional index ("%1:s"), "-" (left justify), width and
//                   precision ("*" takes either from the argument list).
//   FormatFloat     patterns with 0 # . , E+ E- e+ e- ; and quoted text.
//   FormatDateTime  date-time patterns (y m d h n s z, e g, aaa, c t, am/pm ...).
// A user-given pattern is never handed to printf. A Format directive that
// does not fit its argument raises FormatError with the offending pattern.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// Program-wide settings; every later formatting call uses them. Texts are
// CP932 bytes. Separators are single bytes (0 means "none" for thousands).
struct FormatSettings {
  std::string currencyString;  // Japanese default: the yen sign of CP932 (0x5C)
  int currencyFormat = 0;      // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  int negCurrFormat = 1;       // 0 "($1)" 1 "-$1" ... 15 "(1 $)"
  char thousandSeparator = ',';
  char decimalSeparator = '.';
  int currencyDecimals = 0;
  char dateSeparator = '/';
  std::string shortDateFormat;
  std::string longDateFormat;
  char timeSeparator = ':';
  std::string timeAMString;
  std::string timePMString;
  std::string shortTimeFormat;
  std::string longTimeFormat;
  std::array<std::string, 12> shortMonthNames;  // January first
  std::array<std::string, 12> longMonthNames;
  std::array<std::string, 7> shortDayNames;  // Sunday first
  std::array<std::string, 7> longDayNames;
};

// The Japanese defaults (yen, 0 currency decimals, yyyy/mm/dd, 午前/午後 ...).
FormatSettings japaneseFormatSettings();
// The program-wide record, initialised with the Japanese defaults.
FormatSettings& formatSettings();
// Restores the Japanese defaults (the display-format window's reset, tests).
void resetFormatSettings();

// A bad pattern or a directive that does not fit its argument. what() is
// UTF-8 text suitable for an error box.
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One argument of Format: an integer, a floating-point value, a text or a
// pointer. Integers remember whether they came from a 32-bit type (for %x
// and %u of negative values, as the Pascal runtimes print them).
class FormatArg {
 public:
  enum class Kind { Integer, Float, String, Pointer };

  FormatArg(int v) : kind_(Kind::Integer), int_(v), narrow_(true) {}
  FormatArg(unsigned v) : kind_(Kind::Integer), int_(v) {}
  FormatArg(long v) : kind_(Kind::Integer), int_(v) {}
  FormatArg(unsigned long v) : kind_(Kind::Integer), int_(static_cast<std::int64_t>(v)) {}
  FormatArg(long long v) : kind_(Kind::Integer), int_(v) {}
  FormatArg(unsigned long long v) : kind_(Kind::Integer), int_(static_cast<std::int64_t>(v)) {}
  FormatArg(double v) : kind_(Kind::Float), float_(v) {}
  FormatArg(const char* v) : kind_(Kind::String), text_(v ? v : "") {}
  FormatArg(std::string v) : kind_(Kind::String), text_(std::move(v)) {}
  FormatArg(std::string_view v) : kind_(Kind::String), text_(v) {}
  FormatArg(const void* v) : kind_(Kind::Pointer), pointer_(v) {}

  Kind kind() const { return kind_; }
  std::int64_t integer() const { return int_; }
  bool narrow() const { return narrow_; }  // from a 32-bit int
  double real() const { return float_; }
  const std::string& text() const { return text_; }
  const void* pointer() const { return pointer_; }

 private:
  Kind kind_;
  std::int64_t int_ = 0;
  bool narrow_ = false;
  double float_ = 0;
  std::string text_;
  const void* pointer_ = nullptr;
};

std::string Format(const std::string& fmt, const std::vector<FormatArg>& args);
std::string Format(const std::string& fmt, const std::vector<FormatArg>& args,
                   const FormatSettings& settings);

// Empty pattern: the general form of FloatToStr. NaN and infinities give
// "NAN", "INF", "-INF".
std::string FormatFloat(const std::string& pattern, double value);
std::string FormatFloat(const std::string& pattern, double value,
                        const FormatSettings& settings);

// The general (shortest, 15 significant digits) form: 1.5, 1E20, 1.5E-7.
std::string FloatToStr(double value);
std::string FloatToStr(double value, const FormatSettings& settings);
// The general form with every digit the double needs to read back as itself
// (up to 17 significant digits): the text to edit a value in.
std::string FloatToStrRoundTrip(double value);
std::string FloatToStrRoundTrip(double value, const FormatSettings& settings);

// An exact decimal text ("-1234.5678", '.' as its point) in the currency
// form %m gives a number, rounded to the currency decimals without passing
// through a double. Empty when the text is no plain decimal.
std::string CurrencyText(std::string_view decimalText);
std::string CurrencyText(std::string_view decimalText, const FormatSettings& settings);

// dateTime is the day-count value of common/datetime.h. An empty pattern
// gives the "c" form. ConvertError for a value outside years 1..9999.
std::string FormatDateTime(const std::string& pattern, double dateTime);
std::string FormatDateTime(const std::string& pattern, double dateTime,
                           const FormatSettings& settings);

}  // namespace korvel
