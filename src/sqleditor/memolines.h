#pragma once
// The statement memo as a list of lines, and the crossing between those
// Unicode lines and the CP932 byte lines the text routines work on.

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

class QPlainTextEdit;

namespace korvel::sqleditor {

// The memo's lines. A final line break does not start another line, and an
// empty memo has no lines.
QStringList memoLines(const QPlainTextEdit* memo);
QStringList splitMemoText(const QString& text);
// Replaces the memo's text by the lines (undoable); memoLines gives them
// back unchanged, a final empty line included.
void setMemoLines(QPlainTextEdit* memo, const QStringList& lines);

// Lines -> CP932. On a character that has no CP932 form returns false and
// sets `error` to a message naming the line and the character.
bool linesToCp932(const QStringList& lines, std::vector<std::string>& out,
                  QString& error);
QStringList linesFromCp932(const std::vector<std::string>& lines);

}  // namespace korvel::sqleditor
