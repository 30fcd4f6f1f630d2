#pragma once
// Find and replace over the statement memo's lines. Matching is done on the
// lines' CP932 bytes, as the text routines define it: finding ignores the
// case of ASCII letters; replacing replaces the exact find text.

#include <QString>
#include <QStringList>
#include <optional>

namespace korvel::sqleditor {

struct TextHit {
  int line = 0;    // 0-based line
  int column = 0;  // character offset in the line
};

// The first line, from the top, that holds the text (ASCII case ignored),
// and where in it.
std::optional<TextHit> findInLines(const QStringList& lines, const QString& text);

struct ReplaceOutcome {
  int linesChanged = 0;
  QString error;  // set when a line or the texts have no CP932 form
};

// Replaces, in every line that holds findText (ASCII case ignored), every
// exact occurrence of findText by replacement. Each line is treated once, so
// a replacement that contains the find text is not replaced again.
ReplaceOutcome replaceInLines(QStringList& lines, const QString& findText,
                              const QString& replacement);

}  // namespace korvel::sqleditor
