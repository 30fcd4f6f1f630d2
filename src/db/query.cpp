#include "db/query.h"

#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>
#include <algorithm>

#include "db/datasetimpl.h"
#include "db/driver.h"
#include "db/engine.h"
#include "db/sqlshape.h"

namespace korvel::db {
namespace {

bool isStar(const QString& item) {
  const QString s = item.trimmed();
  return s == u"*" || s.endsWith(QStringLiteral(".*"));
}

// The refusal of an editable result. A SELECT is first prepared, so that a
// statement the database rejects (a syntax error, a missing table) reports
// that error rather than a refusal the caller would answer by running it
// again read-only. Other statements are not prepared: not every database
// can prepare every statement.
[[noreturn]] void refuseLive(const QSqlDatabase& db, const QString& text, bool isSelect,
                             const QString& reason) {
  if (isSelect) {
    QSqlQuery check(db);
    prepareOrThrow(check, text, QStringLiteral("Cannot open the query"));
  }
  throw EngineError(QStringLiteral("The query result cannot be made live: ") + reason,
                    EngineErrorKind::NotLive);
}

}  // namespace

Query::Query(QObject* parent) : Dataset(parent) {}
Query::~Query() { close(); }

void Query::setSql(const QString& text) {
  if (active()) close();
  sql_ = text.split(u'\n');
  for (auto& line : sql_)
    if (line.endsWith(u'\r')) line.chop(1);
  prepared_ = false;
}

QString Query::sqlText() const { return sql_.join(u'\n'); }

bool Query::live() const { return canModify(); }

void Query::prepare() {
  if (databaseName_.isEmpty()) throw EngineError(QStringLiteral("No alias is given for the query"));
  Engine::instance().connection(databaseName_);
  prepared_ = true;
}

void Query::unprepare() {
  if (active()) close();
  prepared_ = false;
}

int Query::execSql() {
  if (databaseName_.isEmpty()) throw EngineError(QStringLiteral("No alias is given for the query"));
  if (active()) close();
  QSqlDatabase db = Engine::instance().connection(databaseName_);
  Engine::instance().releaseReadCursors();
  QSqlQuery q(db);
  execOrThrow(q, Engine::instance().driver(databaseName_).statementText(trimStatement(sqlText())),
              QStringLiteral("Cannot execute the statement"));
  return q.numRowsAffected();
}

// A live result must come from one table whose rows it can locate: by the
// table's primary key among the selected columns, else by the driver's row
// locator added as a hidden column.
void Query::openCursor() {
  Impl& impl = *this->impl();
  const QSqlDatabase db = impl.db();
  Driver& driver = *impl.driver;
  const QString text = driver.statementText(trimStatement(sqlText()));
  if (text.isEmpty()) throw EngineError(QStringLiteral("The query has no SQL text"));
  const SelectShape shape = analyzeSelect(text);

  RowSource rows;
  rows.select = text;
  rows.wrapped = shape.isSelect;
  rows.sequentialOnly = !shape.isSelect;
  if (shape.isSelect) rows.countSql = QStringLiteral("SELECT COUNT(*) FROM (\n%1\n) korvel_rows").arg(text);

  TableName table;
  QStringList key;
  if (requestLive_) {
    // A refusal is one entry of kind NotLive: the main window falls back to
    // a read-only result for it.
    if (!shape.singleTable) refuseLive(db, text, shape.isSelect, shape.notLocatable);
    table = driver.lookupTable(db, shape.table).value_or(shape.table);
    key = driver.primaryKey(db, table);
    bool keySelected = !key.isEmpty();
    for (const auto& k : key) {
      bool found = false;
      for (const auto& item : shape.items)
        found = found || isStar(item) || plainColumn(item).compare(k, Qt::CaseInsensitive) == 0;
      keySelected = keySelected && found;
    }
    if (keySelected) {
      for (const auto& k : key) rows.keyColumns << driver.quoteName(k);
    } else if (!driver.rowLocator().isEmpty()) {
      QStringList reference;
      for (const auto& part : shape.tableRef) reference << driver.quoteName(part);
      rows.select = text.left(shape.fromPos).trimmed() +
                    QStringLiteral(", %1.%2 ").arg(reference.join(u'.'), driver.rowLocator()) +
                    text.mid(shape.fromPos);
      if (rows.wrapped) rows.countSql = QStringLiteral("SELECT COUNT(*) FROM (\n%1\n) korvel_rows").arg(text);
      rows.keyColumns << driver.rowLocator();
      rows.hiddenColumns = 1;
      key.clear();
    } else {
      refuseLive(db, text, shape.isSelect, QStringLiteral("its rows cannot be located: no primary key selected"));
    }
    rows.table = driver.quoteTable(table);
  }
  impl.start(rows);
  renameCountColumns(shape);
  if (!requestLive_) return;

  // Map the locator and the writable columns onto the fields.
  auto& fields = impl.fields;
  auto& source = impl.source;
  const QStringList columns = driver.columnNames(db, table);
  if (source.hiddenColumns) source.keyIndexes.push_back(static_cast<int>(fields.size()));
  for (const auto& k : key) {
    int index = -1;
    for (size_t i = 0; i < fields.size(); ++i)
      if (fields[i].name.compare(k, Qt::CaseInsensitive) == 0) index = static_cast<int>(i);
    if (index < 0) {
      impl.reset();
      throw EngineError(QStringLiteral("The query result cannot be made live: key field %1 is not in the result").arg(k),
                        EngineErrorKind::NotLive);
    }
    source.keyIndexes.push_back(index);
    fields[static_cast<size_t>(index)].indexField = true;
  }
  for (auto& f : fields) {
    qsizetype column = columns.indexOf(f.name);
    if (column < 0)
      column = std::find_if(columns.begin(), columns.end(),
                            [&](const QString& c) { return c.compare(f.name, Qt::CaseInsensitive) == 0; }) -
               columns.begin();
    if (column < columns.size()) f.writeColumn = driver.quoteName(columns[column]);
  }
}

// PostgreSQL names an unaliased COUNT(*) "count"; the program expects the
// column as written, "COUNT(*)", whatever the driver.
void Query::renameCountColumns(const SelectShape& shape) {
  auto& fields = impl()->fields;
  if (shape.items.size() != static_cast<int>(fields.size())) return;
  for (size_t i = 0; i < fields.size(); ++i)
    if (isCountStar(shape.items[static_cast<int>(i)])) fields[i].name = QStringLiteral("COUNT(*)");
}

}  // namespace korvel::db
