#include "db/bytecopy.h"

#include "db/batchrows.h"
#include "db/bytecopyparts.h"
#include "db/engineerror.h"
#include "db/local/localfile.h"
#include "db/sqlitevalues.h"

namespace korvel::db {

namespace bytecopy {

Statement::Statement(sqlite3* db, const QString& sql, const QString& context) {
  if (sqlite3_prepare16_v2(db, sql.constData(), static_cast<int>(sql.size() * sizeof(QChar)), &stmt_, nullptr) !=
      SQLITE_OK) {
    const QString message = sqlite::errorText(db);
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    throw EngineError(QStringList{context, QStringLiteral("Unable to execute statement"), message});
  }
}

}  // namespace bytecopy

// Any other pair of tables (Paradox files, PostgreSQL, ODBC, a CSV file
// with changes not yet written, which is read through SQL, a source spooled
// to a temporary file, a table file that must be sorted first) is copied
// row by row.
std::optional<BatchMoveOutcome> copyBytes(RowReader& reader, RowWriter& writer, const local::LocalTableDef& def,
                                          const std::vector<int>& order, ProgressTeller& teller) {
  if (local::CsvReader* csv = reader.csvFile()) {
    const SqliteStatementEnd target = writer.sqliteTarget();
    if (target.handle) return bytecopy::importCsv(*csv, target, def, order, teller);
    return std::nullopt;
  }
  if (local::CsvWriter* csv = writer.csvFile()) {
    const SqliteStatementEnd source = reader.sqliteSource();
    if (source.handle) return bytecopy::exportCsv(source, *csv, def, order, teller);
  }
  return std::nullopt;
}

}  // namespace korvel::db
