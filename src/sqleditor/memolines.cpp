#include "sqleditor/memolines.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include "common/codepage.h"

namespace korvel::sqleditor {

QStringList splitMemoText(const QString& text) {
  if (text.isEmpty()) return {};
  QStringList lines = text.split(QLatin1Char('\n'));
  if (lines.last().isEmpty()) lines.removeLast();
  return lines;
}

QStringList memoLines(const QPlainTextEdit* memo) {
  return splitMemoText(memo->toPlainText());
}

void setMemoLines(QPlainTextEdit* memo, const QStringList& lines) {
  // Through a cursor rather than setPlainText so that the change can be undone.
  QString text = lines.join(QLatin1Char('\n'));
  // The memo's last line break never starts a line (memoLines), so a final
  // empty line needs a break of its own to survive.
  if (!lines.isEmpty() && lines.last().isEmpty()) text += QLatin1Char('\n');
  QTextCursor cursor(memo->document());
  cursor.select(QTextCursor::Document);
  cursor.insertText(text);
  cursor.movePosition(QTextCursor::Start);
  memo->setTextCursor(cursor);
}

bool linesToCp932(const QStringList& lines, std::vector<std::string>& out,
                  QString& error) {
  out.clear();
  out.reserve(static_cast<size_t>(lines.size()));
  for (int i = 0; i < lines.size(); ++i) {
    std::string bytes;
    int bad = -1;
    if (!tryToCp932(lines[i], bytes, &bad)) {
      const QString ch = bad >= 0 ? lines[i].mid(bad, lines[i].at(bad).isHighSurrogate() ? 2 : 1)
                                  : QString();
      error = QStringLiteral("*E:%1行目の文字「%2」はシフトJISで表せません。")
                  .arg(i + 1)
                  .arg(ch);
      out.clear();
      return false;
    }
    out.push_back(std::move(bytes));
  }
  return true;
}

QStringList linesFromCp932(const std::vector<std::string>& lines) {
  QStringList out;
  out.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) out.append(fromCp932(line));
  return out;
}

}  // namespace korvel::sqleditor
