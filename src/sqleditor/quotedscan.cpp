#include "sqleditor/quotedscan.h"

#include "common/leadbyte.h"

namespace korvel::sqleditor {

size_t findOutsideQuotes(std::string_view text, std::string_view what, Quotes quotes,
                         size_t minIndex) {
  if (what.empty()) return std::string_view::npos;
  // Most lines hold no quote at all; then, for a `what` whose first byte
  // cannot be a trail byte (below 0x40), the plain search is the answer.
  const bool quoted = text.find('\'') != std::string_view::npos ||
                      (quotes == Quotes::SingleAndDouble && text.find('"') != std::string_view::npos);
  if (!quoted && static_cast<unsigned char>(what.front()) < 0x40) return text.find(what, minIndex);
  // Candidates come from a plain search; the quote state is carried forward
  // only as far as the candidates reach, so text without a match costs no
  // more than the plain search.
  char open = 0;       // the quote of the quoted text we are in, or 0
  size_t scanned = 0;  // the state holds for the character boundary here
  for (size_t at = text.find(what, minIndex); at != std::string_view::npos;
       at = text.find(what, at + 1)) {
    while (scanned < at) {
      const char c = text[scanned];
      if (open != 0) {
        if (c == open) open = 0;
      } else if (c == '\'' || (c == '"' && quotes == Quotes::SingleAndDouble)) {
        open = c;
      }
      // Quotes are below 0x40 and never a trail byte; stepping over the
      // double-byte character keeps `scanned` on character boundaries.
      scanned += isLeadByte(c) ? 2 : 1;
    }
    // scanned > at: the candidate starts on a trail byte.
    if (scanned == at && open == 0) return at;
  }
  return std::string_view::npos;
}

}  // namespace korvel::sqleditor
