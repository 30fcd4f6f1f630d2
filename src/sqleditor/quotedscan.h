#pragma once
// Searching one line of program source or SQL while stepping over quoted
// text, so that a comment mark, a statement end, a keyword or a comma inside
// a string literal is never taken for one.

#include <string>
#include <string_view>

namespace korvel::sqleditor {

// Which quotes enclose text that a search steps over: program source knows
// only single-quoted strings; SQL also has double-quoted names.
enum class Quotes { Single, SingleAndDouble };

// 0-based index of the first occurrence of `what` that starts outside quoted
// text at index minIndex or later; npos when there is none. The scan starts
// outside quotes at the first byte of `text`. A quote opens quoted text and
// the next quote of the same kind closes it, so a doubled quote inside a
// literal closes and reopens it without a special case. Double-byte
// characters are stepped over whole; `what` must not begin with a quote.
size_t findOutsideQuotes(std::string_view text, std::string_view what, Quotes quotes,
                         size_t minIndex = 0);

}  // namespace korvel::sqleditor
