#include "copydb/sqlname.h"

#include <QSet>

#include "db/driver.h"

namespace korvel::copydb {
namespace {

// Keywords of SQL and of the databases the program reaches (SQLite,
// PostgreSQL, Oracle, Access): a name equal to one is always quoted.
const QSet<QString>& keywords() {
  static const QSet<QString> words = [] {
    const char* const list[] = {
        "ABORT", "ABSOLUTE", "ACCESS", "ACTION", "ADD", "AFTER", "ALL", "ALTER", "ALWAYS", "ANALYSE",
        "ANALYZE", "AND", "ANY", "ARRAY", "AS", "ASC", "ASYMMETRIC", "ATTACH", "AUDIT", "AUTHORIZATION",
        "AUTOINCREMENT", "BEFORE", "BEGIN", "BETWEEN", "BIGINT", "BINARY", "BIT", "BOOLEAN", "BOTH", "BY",
        "CASCADE", "CASE", "CAST", "CHAR", "CHARACTER", "CHECK", "CLUSTER", "COLLATE", "COLUMN", "COMMENT",
        "COMMIT", "COMPRESS", "CONCURRENTLY", "CONFLICT", "CONNECT", "CONSTRAINT", "CREATE", "CROSS",
        "CURRENT", "CURRENT_CATALOG", "CURRENT_DATE", "CURRENT_ROLE", "CURRENT_SCHEMA", "CURRENT_TIME",
        "CURRENT_TIMESTAMP", "CURRENT_USER", "DATABASE", "DATE", "DECIMAL", "DEFAULT", "DEFERRABLE",
        "DEFERRED", "DELETE", "DESC", "DETACH", "DISTINCT", "DO", "DOUBLE", "DROP", "EACH", "ELSE", "END",
        "ESCAPE", "EXCEPT", "EXCLUDE", "EXCLUSIVE", "EXISTS", "EXPLAIN", "FAIL", "FALSE", "FETCH", "FILE",
        "FILTER", "FIRST", "FLOAT", "FOLLOWING", "FOR", "FOREIGN", "FREEZE", "FROM", "FULL", "GENERATED",
        "GLOB", "GRANT", "GROUP", "GROUPS", "HAVING", "IDENTIFIED", "IF", "IGNORE", "ILIKE", "IMMEDIATE",
        "IN", "INCREMENT", "INDEX", "INDEXED", "INITIAL", "INITIALLY", "INNER", "INSERT", "INSTEAD",
        "INT", "INTEGER", "INTERSECT", "INTERVAL", "INTO", "IS", "ISNULL", "JOIN", "KEY", "LAST",
        "LATERAL", "LEADING", "LEFT", "LEVEL", "LIKE", "LIMIT", "LOCALTIME", "LOCALTIMESTAMP", "LOCK",
        "LONG", "MATCH", "MATERIALIZED", "MAXEXTENTS", "MINUS", "MLSLABEL", "MODE", "MODIFY", "NATURAL",
        "NO", "NOAUDIT", "NOCOMPRESS", "NOT", "NOTHING", "NOTNULL", "NOWAIT", "NULL", "NULLS", "NUMBER",
        "NUMERIC", "OF", "OFFLINE", "OFFSET", "ON", "ONLINE", "ONLY", "OPTION", "OR", "ORDER", "OTHERS",
        "OUTER", "OVER", "OVERLAPS", "PARTITION", "PCTFREE", "PLACING", "PLAN", "PRAGMA", "PRECEDING",
        "PRIMARY", "PRIOR", "PRIVILEGES", "PUBLIC", "QUERY", "RAISE", "RANGE", "RAW", "REAL", "RECURSIVE",
        "REFERENCES", "REGEXP", "REINDEX", "RELEASE", "RENAME", "REPLACE", "RESOURCE", "RESTRICT",
        "RETURNING", "REVOKE", "RIGHT", "ROLLBACK", "ROW", "ROWID", "ROWNUM", "ROWS", "SAVEPOINT",
        "SELECT", "SESSION", "SESSION_USER", "SET", "SHARE", "SIMILAR", "SIZE", "SMALLINT", "SOME",
        "START", "SUCCESSFUL", "SYMMETRIC", "SYNONYM", "SYSDATE", "SYSTEM_USER", "TABLE", "TABLESAMPLE",
        "TEMP", "TEMPORARY", "THEN", "TIES", "TIME", "TIMESTAMP", "TO", "TOP", "TRAILING", "TRANSACTION",
        "TRIGGER", "TRUE", "UID", "UNBOUNDED", "UNION", "UNIQUE", "UPDATE", "USER", "USING", "VACUUM",
        "VALIDATE", "VALUE", "VALUES", "VARCHAR", "VARCHAR2", "VARIADIC", "VERBOSE", "VIEW", "VIRTUAL",
        "WHEN", "WHENEVER", "WHERE", "WINDOW", "WITH", "WITHOUT", "YESNO"};
    QSet<QString> set;
    for (const char* word : list) set.insert(QString::fromLatin1(word));
    return set;
  }();
  return words;
}

enum class Folding { AnyCase, Lower, Upper, AlwaysQuote };

// How the destination reads a bare name: SQLite, Access and the local
// drivers ignore its case; PostgreSQL folds it to lower case and Oracle to
// upper case, so there only names already in that case may stay bare. For
// other databases nothing is assumed.
Folding foldingOf(const QString& tableType) {
  if (tableType == u"POSTGRESQL") return Folding::Lower;
  if (tableType == u"ORACLE") return Folding::Upper;
  if (tableType == u"SQLITE" || tableType == u"MSACCESS" || tableType == u"PARADOX" || tableType == u"ASCIIDRV")
    return Folding::AnyCase;
  return Folding::AlwaysQuote;
}

bool isPlain(const QString& name, Folding folding) {
  if (name.isEmpty() || folding == Folding::AlwaysQuote) return false;
  for (qsizetype i = 0; i < name.size(); ++i) {
    const char16_t c = name[i].unicode();
    const bool lower = c >= u'a' && c <= u'z', upper = c >= u'A' && c <= u'Z';
    const bool digit = c >= u'0' && c <= u'9';
    if (!(lower || upper || c == u'_' || (digit && i > 0))) return false;
    if ((lower && folding == Folding::Upper) || (upper && folding == Folding::Lower)) return false;
  }
  return !keywords().contains(name.toUpper());
}

}  // namespace

QString sqlName(const db::Driver& driver, const QString& name) {
  return isPlain(name, foldingOf(driver.tableType())) ? name : driver.quoteName(name);
}

QString sqlTableName(const db::Driver& driver, const db::TableName& table) {
  if (table.schema.isEmpty()) return sqlName(driver, table.name);
  return sqlName(driver, table.schema) + u'.' + sqlName(driver, table.name);
}

}  // namespace korvel::copydb
