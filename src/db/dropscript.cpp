#include "db/dropscript.h"

#include <QSqlQuery>
#include <vector>

#include "db/driver.h"
#include "db/engine.h"

namespace korvel::db {
namespace {

const QString kContext = QStringLiteral("Cannot list the objects to drop");

struct SchemaObject {
  TableName name;
  QString type;  // TABLE, VIEW, SEQUENCE, MATERIALIZED VIEW, FOREIGN TABLE
};

bool leftOut(const QString& name) {
  return name.startsWith(QLatin1String("EVT_")) || name.startsWith(QLatin1String("SMP_"));
}

std::vector<SchemaObject> readObjects(const QSqlDatabase& db, const QString& sql,
                                      SchemaObject (*row)(const QSqlQuery&)) {
  QSqlQuery q(db);
  q.setForwardOnly(true);
  execOrThrow(q, sql, kContext);
  std::vector<SchemaObject> objects;
  while (q.next()) objects.push_back(row(q));
  return objects;
}

// The owner is not written: the script is run in the schema it drops.
QStringList oracleScript(const QSqlDatabase& db, const Driver& driver) {
  const auto objects = readObjects(
      db,
      QStringLiteral("SELECT OWNER,OBJECT_NAME,OBJECT_TYPE FROM SYS.ALL_OBJECTS WHERE ( NOT ( OWNER IN( "
                     "'SYS','SYSTEM','PUBLIC') ) ) AND ( OBJECT_TYPE <> 'INDEX' ) ORDER BY OBJECT_NAME"),
      [](const QSqlQuery& q) {
        return SchemaObject{{QString(), q.value(1).toString()}, q.value(2).toString()};
      });
  QStringList lines;
  for (const SchemaObject& o : objects) {
    if (leftOut(o.name.name)) continue;
    const QString name = driver.quoteName(o.name.name);
    if (o.type == u"SEQUENCE") lines << QStringLiteral("DROP SEQUENCE %1;").arg(name);
    else if (o.type == u"VIEW") lines << QStringLiteral("DROP VIEW %1;").arg(name);
    else if (o.type == u"TABLE") lines << QStringLiteral("DROP TABLE %1 CASCADE CONSTRAINTS;").arg(name);
  }
  return lines;
}

QStringList postgresScript(const QSqlDatabase& db, const Driver& driver) {
  // Sequences a column owns (serial, identity) go with their table.
  const auto objects = readObjects(
      db,
      QStringLiteral(
          "SELECT n.nspname, c.relname, CASE c.relkind WHEN 'v' THEN 'VIEW' WHEN 'm' THEN 'MATERIALIZED VIEW' "
          "WHEN 'S' THEN 'SEQUENCE' WHEN 'f' THEN 'FOREIGN TABLE' ELSE 'TABLE' END "
          "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
          "WHERE c.relkind IN ('r', 'p', 'v', 'm', 'S', 'f') "
          "AND n.nspname NOT IN ('pg_catalog', 'information_schema') "
          "AND left(n.nspname, 8) NOT IN ('pg_toast', 'pg_temp_') "
          "AND NOT EXISTS (SELECT 1 FROM pg_catalog.pg_depend d WHERE d.classid = 'pg_catalog.pg_class'::regclass "
          "AND d.objid = c.oid AND (d.deptype = 'e' OR (c.relkind = 'S' AND d.deptype IN ('a', 'i')))) "
          "ORDER BY c.relname, n.nspname"),
      [](const QSqlQuery& q) {
        return SchemaObject{{q.value(0).toString(), q.value(1).toString()}, q.value(2).toString()};
      });
  QStringList lines;
  for (const SchemaObject& o : objects)
    if (!leftOut(o.name.name))
      lines << QStringLiteral("DROP %1 IF EXISTS %2 CASCADE;").arg(o.type, driver.quoteTable(o.name));
  return lines;
}

QStringList sqliteScript(const QSqlDatabase& db, const Driver& driver) {
  const auto objects = readObjects(
      db,
      QStringLiteral("SELECT name, upper(type) FROM sqlite_master WHERE type IN ('table', 'view') "
                     "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"),
      [](const QSqlQuery& q) {
        return SchemaObject{{QString(), q.value(0).toString()}, q.value(1).toString()};
      });
  QStringList lines;
  for (const SchemaObject& o : objects)
    if (!leftOut(o.name.name))
      lines << QStringLiteral("DROP %1 IF EXISTS %2;").arg(o.type, driver.quoteTable(o.name));
  return lines;
}

}  // namespace

QStringList schemaDropScript(const QString& alias) {
  Engine& engine = Engine::instance();
  const QSqlDatabase db = engine.connection(alias);
  const Driver& driver = engine.driver(alias);
  const QString kind = driver.tableType();
  if (kind == u"POSTGRESQL") return postgresScript(db, driver);
  if (kind == u"SQLITE") return sqliteScript(db, driver);
  return oracleScript(db, driver);
}

QStringList dropTableStatements(const QString& alias, const QStringList& tables) {
  Engine& engine = Engine::instance();
  const QSqlDatabase db = engine.connection(alias);
  Driver& driver = engine.driver(alias);
  const QString kind = driver.tableType();
  QString pattern = QStringLiteral("DROP TABLE %1 CASCADE CONSTRAINTS;");
  if (kind == u"POSTGRESQL") pattern = QStringLiteral("DROP TABLE IF EXISTS %1 CASCADE;");
  else if (kind == u"SQLITE") pattern = QStringLiteral("DROP TABLE IF EXISTS %1;");
  else if (kind == u"MSACCESS" || kind == u"PARADOX" || kind == u"ASCIIDRV") pattern = QStringLiteral("DROP TABLE %1;");
  QStringList lines;
  for (const QString& text : tables) {
    const TableName table = driver.findTable(db, text).value_or(TableName{QString(), text});
    lines << pattern.arg(driver.quoteTable(table));
  }
  return lines;
}

}  // namespace korvel::db
