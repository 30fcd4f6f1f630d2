#include "main/statement.h"

namespace korvel {

QString statementFromLines(const QStringList& lines) {
  QString statement;
  for (const QString& line : lines) {
    if (line.startsWith(QLatin1String("//"))) continue;
    statement += QLatin1Char(' ') + line;
  }
  return statement;
}

}  // namespace korvel
