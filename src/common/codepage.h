#pragma once
// Conversion between code page 932 (Shift-JIS, Microsoft variant) byte strings
// and Unicode. The program keeps text as CP932 bytes internally and in files;
// widgets and database drivers speak Unicode. These are the only crossings.

#include <QString>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvel {

// Raised by toCp932() when a character has no CP932 form.
class CodePageError : public std::runtime_error {
 public:
  CodePageError(const QString& message, int position)
      : std::runtime_error(message.toStdString()), position_(position) {}
  int position() const { return position_; }  // index in the QString
 private:
  int position_;
};

// Unicode -> CP932. Never alters text silently: returns false and sets
// *badIndex (index of the offending QChar) when a character cannot be written.
bool tryToCp932(const QString& text, std::string& out, int* badIndex = nullptr);

// Unicode -> CP932 or CodePageError naming the character.
std::string toCp932(const QString& text);

// CP932 -> Unicode. Bytes that do not form a CP932 character become U+FFFD;
// *firstBad (if given) receives the byte offset of the first such byte, or -1.
QString fromCp932(std::string_view bytes, int* firstBad = nullptr);

}  // namespace korvel
