#pragma once
// Byte-string routines over code page 932 text. Positions are 1-based byte
// positions, lengths are bytes; a double-byte character (lead byte and trail
// byte) is never split or case-mapped. A blank is any byte of value 32 or
// less. The routines never fail: unusable input gives empty or neutral results.

#include <string>
#include <string_view>
#include <vector>

// Position of the first sub at or after `from` (a match never starts on a
// trail byte); 0 if none, if sub is empty or from is past the end. A from
// below 1 searches from 1.
int Qz_PosFrom(std::string_view text, std::string_view sub, int from);
// Qz_PosFrom after upper-casing both texts.
int Qz_PosFromNoCase(std::string_view text, std::string_view sub, int from);

// Every occurrence of oldText replaced, left to right; inserted text is never
// searched again. An empty oldText replaces nothing.
std::string Qz_ReplaceAll(std::string_view text, std::string_view oldText,
                          std::string_view newText);

// ASCII letters mapped; double-byte characters, katakana and other bytes kept.
std::string Qz_UpperHalf(std::string_view text);
std::string Qz_LowerHalf(std::string_view text);
// Lower case with an upper-case first character ("tABLE_name" -> "Table_name").
std::string Qz_Capitalize(std::string_view text);

// -1, 0 or 1 by the user locale's collation. Option letters (any case):
// U upper-cases both, L lower-cases both (after U), S compares only the
// common prefix.
int Qz_CompareOpt(std::string_view a, std::string_view b, std::string_view options);

std::string Qz_TrimLeft(std::string_view text);
std::string Qz_TrimRight(std::string_view text);
// Every byte below 33 removed, wherever it stands.
std::string Qz_DelBlanks(std::string_view text);
// Only the bytes '0'..'9' kept.
std::string Qz_DigitsOnly(std::string_view text);

// Enclosed in double (single) quotes, inner quotes of that kind doubled.
std::string Qz_QuoteDbl(std::string_view text);
std::string Qz_QuoteSgl(std::string_view text);
// One pair of enclosing single quotes removed ("'ab'c" -> "ab", "'abc" -> "").
std::string Qz_Unquote(std::string_view text);
// "\" appended unless the last character is "\" (a double-byte character
// whose trail byte is 0x5C does not count).
std::string Qz_AddBackslash(std::string_view path);

// Bytes start .. start+count-1 with the same length as that byte range, a
// double-byte character cut at either end replaced by one space. Never starts
// on a trail byte nor ends on a lone lead byte.
std::string Qz_SubBytes(std::string_view text, int start, int count);

// The next `delimiter`-separated item from pos; pos is advanced to the
// delimiter that ended the item (or past the end).
std::string Qz_GetItem(std::string_view text, int& pos, char delimiter);

// Splits a line of program or SQL text into blank-separated tokens, keeping
// single-quoted strings whole (with their quotes, doubled quotes made single).
// The list is replaced. Always true.
bool Qz_SplitTokens(std::string_view line, std::vector<std::string>& list);
// Appends text, or "---" when it is empty.
void Qz_AddItem(std::string_view text, std::vector<std::string>& list);
