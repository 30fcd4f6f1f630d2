#pragma once

#include <QString>
#include <QStringList>

namespace korvel {

// The one-line statement built from the SQL editor's lines: every line that
// does not start with "//" is appended after one blank. Empty when no line
// remains.
QString statementFromLines(const QStringList& lines);

// The script of the SQL editor's lines as they stand, one per line, without
// the lines that start with "//".
QString scriptFromLines(const QStringList& lines);

}  // namespace korvel
