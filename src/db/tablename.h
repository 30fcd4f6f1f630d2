#pragma once
// Names the engine writes into SQL.
//
// Every table, column and index name is quoted by quoteIdentifier: wrapped in
// the driver's quote character, with that character doubled inside. Nothing
// in a name (quotes, dots, semicolons, brackets, comment marks) can end the
// identifier early, and a name that already starts or ends with a quote is
// quoted like any other.
//
// A table travels as (schema, name) from the moment it is listed or looked up
// in the catalog; neither part is ever split at a dot later.

#include <QString>

namespace korvel::db {

struct TableName {
  QString schema;  // empty: the connection's default (search path, SQLite main)
  QString name;

  bool isEmpty() const { return name.isEmpty(); }
  // "schema.name", or the name alone: for messages, never for SQL.
  QString text() const { return schema.isEmpty() ? name : schema + u'.' + name; }
  friend bool operator==(const TableName&, const TableName&) = default;
};

// `name` wrapped in `quote`, the quote character doubled inside.
QString quoteIdentifier(QChar quote, const QString& name);
// "schema"."name", or "name" when there is no schema.
QString quoteTableName(QChar quote, const TableName& table);

}  // namespace korvel::db
