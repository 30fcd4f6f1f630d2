#pragma once
// Values of generated test data. Each column of the format grid holds an
// initial value, an increment and, for text columns, a format; the next value
// is computed from them and written back as the new initial value, so every
// record (and the next run) continues from the last one.
//
// Numbers are exact decimals in units of 1/10000 held as signed 64-bit
// integers. Only the digits of the initial value and the increment count: a
// minus sign or a decimal point is dropped with the other non-digits.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace korvel {

// Raised when a value does not fit; what() is UTF-8 like the other errors.
class TestDataError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The digits of text read as a number, times 10000; 0 when text has no
// digits. TestDataError when the number does not fit 64 bits.
std::int64_t testDataUnits(const std::string& text);

// Units as the shortest decimal text ("125", "125.5", "0.0001").
std::string unitsToText(std::int64_t units);

struct TestDataColumn {
  std::string typeName;  // field class name, "TStringField" ...
  std::string initial;   // the previous value (CP932)
  std::string step;      // the increment
  std::string format;    // text columns: the format
};

// The next value of a column (CP932). Raises TestDataError on overflow,
// FormatError for a format directive that does not take its argument, and
// ConvertError for a date-time initial value the parser rejects.
std::string nextTestValue(const TestDataColumn& column);

}  // namespace korvel
