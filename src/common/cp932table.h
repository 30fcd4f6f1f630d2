#pragma once
// Code page 932 by lookup tables, built once from iconv itself, so that a
// conversion costs a table look-up per character instead of an iconv call
// (with its lock) per text. Each function does only what the tables know
// for certain and reports false otherwise; the caller then converts through
// iconv, which also words the errors. The results are iconv's by
// construction: the tables hold what iconv gives for each character.

#include <QString>
#include <string>
#include <string_view>

namespace korvel::cp932 {

// CP932 -> Unicode into `out`; false (out unspecified) when `bytes` hold a
// sequence the tables do not know (an invalid or cut-off character).
bool decode(std::string_view bytes, QString& out);

// Unicode -> CP932 into `out`; false (out unspecified) when `text` holds a
// character the tables do not know (one with no CP932 form, a surrogate).
bool encode(QStringView text, std::string& out);

// CP932 -> UTF-8 into `out` (appended), for text that goes to a UTF-8
// database without a QString between; false as decode().
bool decodeToUtf8(std::string_view bytes, std::string& out);

// UTF-8 -> CP932 into `out` (appended); false (out unspecified) where
// encode() would be, and for bytes that are not well-formed UTF-8 of the
// Basic Multilingual Plane (anything else has no CP932 form, or needs the
// caller's own reading of broken UTF-8).
bool encodeFromUtf8(std::string_view utf8, std::string& out);

}  // namespace korvel::cp932
