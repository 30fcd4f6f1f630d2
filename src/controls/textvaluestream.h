#pragma once
// Reading one value of the text form from a token stream (shared by the
// definition-file parser).

#include "controls/valuestream.h"

namespace korvel {
class TextLexer;
// Appends one value (a whole list for "(") to `out`.
void ReadTextValue(TextLexer& lexer, TypedValues& out, int depth = 0);
}  // namespace korvel
