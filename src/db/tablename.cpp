#include "db/tablename.h"

namespace korvel::db {

QString quoteIdentifier(QChar quote, const QString& name) {
  QString quoted;
  quoted.reserve(name.size() + 2);
  quoted += quote;
  for (const QChar c : name) {
    if (c == quote) quoted += quote;
    quoted += c;
  }
  quoted += quote;
  return quoted;
}

QString quoteTableName(QChar quote, const TableName& table) {
  const QString name = quoteIdentifier(quote, table.name);
  return table.schema.isEmpty() ? name : quoteIdentifier(quote, table.schema) + u'.' + name;
}

}  // namespace korvel::db
