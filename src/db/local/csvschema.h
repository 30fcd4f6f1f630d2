#pragma once
// The schema file of a CSV text table: beside NAME.csv, NAME.schema gives the
// columns' types, the table's key and how the text is written. Without one a
// CSV file's columns are text named by its header line. The file is code
// page 932 text, one statement per line; blank lines and lines starting with
// '#' are skipped:
//
//   KORVEL CSV SCHEMA 1
//   ENCODING CP932            CP932 or UTF-8 (UTF-8 files start with a byte-order mark)
//   LINEBREAK CRLF            CRLF or LF, used when the file is written
//   KEY 1                     the first n columns are the primary key (0: none)
//   COLUMN INTEGER 0 CODE     type, size, name (the rest of the line)
//   COLUMN STRING 40 商品名
//
// Types: STRING (size: characters, 0 = any), SMALLINT, INTEGER, FLOAT,
// CURRENCY, BOOLEAN, DATE, TIME, DATETIME, MEMO.

#include <QString>
#include <optional>
#include <vector>

#include "db/local/localtable.h"

namespace korvel::db::local {

struct CsvSchema {
  bool utf8 = false;
  bool crlf = true;
  int keyColumns = 0;
  std::vector<LocalColumn> columns;
};

// NAME.schema beside NAME.csv (whatever the CSV file's extension).
QString schemaPathFor(const QString& csvPath);
// The schema at `path`, or nothing when there is no such file. EngineError
// naming the file and line when it cannot be read.
std::optional<CsvSchema> readCsvSchema(const QString& path);
// The schema's text (code page 932). EngineError when a column name has no
// code page 932 form or a type has no schema word.
std::string csvSchemaText(const CsvSchema& schema);

}  // namespace korvel::db::local
