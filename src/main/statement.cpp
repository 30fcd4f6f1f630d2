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

QString scriptFromLines(const QStringList& lines) {
  QStringList kept;
  for (const QString& line : lines)
    if (!line.startsWith(QLatin1String("//"))) kept << line;
  return kept.join(QLatin1Char('\n'));
}

}  // namespace korvel
