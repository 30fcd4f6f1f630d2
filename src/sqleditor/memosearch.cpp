#include "sqleditor/memosearch.h"

#include <string>

#include "common/codepage.h"
#include "common/strings.h"

namespace korvel::sqleditor {
namespace {

// CP932 bytes of a line for matching only: a character without a CP932 form
// becomes one "?" per UTF-16 unit, so byte offsets before it still map back
// to character offsets.
std::string searchBytes(const QString& line) {
  std::string out;
  QString rest = line;
  for (;;) {
    std::string part;
    int bad = -1;
    if (tryToCp932(rest, part, &bad)) return out + part;
    std::string good;
    tryToCp932(rest.left(bad), good);
    const int width = rest.at(bad).isHighSurrogate() && bad + 1 < rest.size() ? 2 : 1;
    out += good;
    out.append(static_cast<size_t>(width), '?');
    rest = rest.mid(bad + width);
  }
}

bool holds(const std::string& line, const std::string& text) {
  return Qz_PosFromNoCase(line, text, 1) > 0;
}

}  // namespace

std::optional<TextHit> findInLines(const QStringList& lines, const QString& text) {
  std::string needle;
  if (!tryToCp932(text, needle) || needle.empty()) return std::nullopt;
  for (int i = 0; i < lines.size(); ++i) {
    const std::string bytes = searchBytes(lines[i]);
    const int at = Qz_PosFromNoCase(bytes, needle, 1);
    if (at > 0)
      return TextHit{i, static_cast<int>(fromCp932(std::string_view(bytes).substr(0, at - 1)).size())};
  }
  return std::nullopt;
}

ReplaceOutcome replaceInLines(QStringList& lines, const QString& findText,
                              const QString& replacement) {
  ReplaceOutcome outcome;
  std::string needle;
  std::string newText;
  if (!tryToCp932(findText, needle) || !tryToCp932(replacement, newText)) {
    outcome.error = QStringLiteral("*E:検索または置換の文字列にシフトJISで表せない文字があります。");
    return outcome;
  }
  if (needle.empty()) return outcome;
  QStringList unconvertible;
  for (int i = 0; i < lines.size(); ++i) {
    if (!holds(searchBytes(lines[i]), needle)) continue;
    std::string bytes;
    if (!tryToCp932(lines[i], bytes)) {
      unconvertible.append(QString::number(i + 1));
      continue;
    }
    const std::string replaced = Qz_ReplaceAll(bytes, needle, newText);
    if (replaced == bytes) continue;
    lines[i] = fromCp932(replaced);
    ++outcome.linesChanged;
  }
  if (!unconvertible.isEmpty())
    outcome.error = QStringLiteral("*E:%1 行目はシフトJISで表せない文字を含むため置換しませんでした。")
                        .arg(unconvertible.join(QLatin1Char(',')));
  return outcome;
}

}  // namespace korvel::sqleditor
