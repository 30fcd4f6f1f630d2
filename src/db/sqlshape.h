#pragma once
// A light look at a SELECT statement's top level: its select list, its FROM
// table and whatever keeps its rows from being located in one table (joins,
// aggregates, DISTINCT, GROUP BY, set operations). Text inside quotes,
// comments and parentheses is skipped; this is no full SQL parser.

#include <QString>
#include <QStringList>

#include "db/tablename.h"

namespace korvel::db {

struct SelectShape {
  bool isSelect = false;      // starts with SELECT or WITH: can be a subquery
  bool singleTable = false;   // rows come from one table, one row each
  QString notLocatable;       // why not, when !singleTable
  QStringList items;          // the select list, item texts as written
  TableName table;            // FROM table as written, each part unquoted
  QStringList tableRef;       // the alias, else the table's parts: qualifies columns
  int fromPos = -1;           // position of the top-level FROM keyword
};

SelectShape analyzeSelect(const QString& sql);

// "COUNT(*)" written in any case and spacing.
bool isCountStar(const QString& item);
// The column an item names ("NAME", "t.NAME", "\"Name\""), else empty.
QString plainColumn(const QString& item);
// Statement text without trailing blanks and semicolons.
QString trimStatement(const QString& sql);

}  // namespace korvel::db
