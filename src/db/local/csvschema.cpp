#include "db/local/csvschema.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>

#include "common/codepage.h"

namespace korvel::db::local {
namespace {

constexpr const char* kMagic = "KORVEL CSV SCHEMA 1";

struct TypeWord {
  const char* word;
  FieldKind kind;
};
constexpr TypeWord kTypes[] = {
    {"STRING", FieldKind::String},   {"SMALLINT", FieldKind::Smallint}, {"INTEGER", FieldKind::Integer},
    {"FLOAT", FieldKind::Float},     {"CURRENCY", FieldKind::Currency}, {"BOOLEAN", FieldKind::Boolean},
    {"DATE", FieldKind::Date},       {"TIME", FieldKind::Time},         {"DATETIME", FieldKind::DateTime},
    {"MEMO", FieldKind::Memo},       {"DECIMAL", FieldKind::Decimal},
};

}  // namespace

QString schemaPathFor(const QString& csvPath) {
  const QFileInfo info(csvPath);
  return info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral(".schema"));
}

std::optional<CsvSchema> readCsvSchema(const QString& path) {
  QFile file(path);
  if (!file.exists()) return std::nullopt;
  if (!file.open(QIODevice::ReadOnly)) throwFileError(path, {}, file.errorString());
  if (file.size() > 16 * 1024 * 1024) throwFileError(path, {}, QStringLiteral("too large for a schema file"));
  const QByteArray bytes = file.readAll();
  CsvSchema schema;
  bool sawMagic = false;
  int lineNumber = 0;
  for (QByteArray raw : bytes.split('\n')) {
    ++lineNumber;
    if (raw.endsWith('\r')) raw.chop(1);
    const QString where = QStringLiteral("line %1").arg(lineNumber);
    int bad = -1;
    const QString line = fromCp932(std::string_view(raw.constData(), static_cast<size_t>(raw.size())), &bad);
    if (bad >= 0) throwFileError(path, where, QStringLiteral("bytes that are not code page 932"));
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u'#')) continue;
    if (!sawMagic) {
      if (trimmed != QLatin1String(kMagic)) throwFileError(path, where, QStringLiteral("not a CSV schema file (expected \"%1\")").arg(QLatin1String(kMagic)));
      sawMagic = true;
      continue;
    }
    const QString word = trimmed.section(u' ', 0, 0, QString::SectionSkipEmpty).toUpper();
    const QString rest = trimmed.section(u' ', 1, -1, QString::SectionSkipEmpty);
    if (word == u"ENCODING") {
      if (rest.compare(u"CP932", Qt::CaseInsensitive) == 0) schema.utf8 = false;
      else if (rest.compare(u"UTF-8", Qt::CaseInsensitive) == 0) schema.utf8 = true;
      else throwFileError(path, where, QStringLiteral("unknown encoding %1 (CP932 or UTF-8)").arg(rest));
    } else if (word == u"LINEBREAK") {
      if (rest.compare(u"CRLF", Qt::CaseInsensitive) == 0) schema.crlf = true;
      else if (rest.compare(u"LF", Qt::CaseInsensitive) == 0) schema.crlf = false;
      else throwFileError(path, where, QStringLiteral("unknown line break %1 (CRLF or LF)").arg(rest));
    } else if (word == u"KEY") {
      bool ok = false;
      schema.keyColumns = rest.toInt(&ok);
      if (!ok || schema.keyColumns < 0) throwFileError(path, where, QStringLiteral("KEY needs a column count"));
    } else if (word == u"COLUMN") {
      // COLUMN <type> <size> <name>: the name keeps its inner blanks.
      const QString type = rest.section(u' ', 0, 0, QString::SectionSkipEmpty).toUpper();
      const QString size = rest.section(u' ', 1, 1, QString::SectionSkipEmpty);
      const QString name = rest.section(u' ', 2, -1, QString::SectionSkipEmpty);
      LocalColumn column;
      bool known = false;
      for (const auto& t : kTypes)
        if (type == QLatin1String(t.word)) {
          column.kind = t.kind;
          known = true;
        }
      bool ok = false;
      column.size = size.toInt(&ok);
      if (!known) throwFileError(path, where, QStringLiteral("unknown column type %1").arg(type));
      if (!ok || column.size < 0) throwFileError(path, where, QStringLiteral("the column size is not a number"));
      if (name.isEmpty()) throwFileError(path, where, QStringLiteral("the column has no name"));
      column.name = name;
      schema.columns.push_back(column);
    } else {
      throwFileError(path, where, QStringLiteral("unknown statement %1").arg(word));
    }
  }
  if (!sawMagic) throwFileError(path, {}, QStringLiteral("empty schema file"));
  if (schema.columns.empty()) throwFileError(path, {}, QStringLiteral("the schema names no columns"));
  if (schema.keyColumns > static_cast<int>(schema.columns.size()))
    throwFileError(path, {}, QStringLiteral("KEY %1 is more than the %2 columns").arg(schema.keyColumns).arg(schema.columns.size()));
  return schema;
}

std::string csvSchemaText(const CsvSchema& schema) {
  const char* eol = schema.crlf ? "\r\n" : "\n";
  std::string text = std::string(kMagic) + eol;
  text += std::string("ENCODING ") + (schema.utf8 ? "UTF-8" : "CP932") + eol;
  text += std::string("LINEBREAK ") + (schema.crlf ? "CRLF" : "LF") + eol;
  text += "KEY " + std::to_string(schema.keyColumns) + eol;
  for (const auto& column : schema.columns) {
    const char* word = nullptr;
    for (const auto& t : kTypes)
      if (t.kind == column.kind) word = t.word;
    if (!word) throw EngineError(QStringLiteral("Column %1: binary columns cannot be kept in a CSV table").arg(column.name));
    if (column.name.trimmed() != column.name || column.name.isEmpty() || column.name.contains(u'\n') ||
        column.name.contains(u'\r'))
      throw EngineError(QStringLiteral("Column name \"%1\" cannot be kept in a CSV schema (blank at its ends or a line break)").arg(column.name));
    std::string name;
    if (!tryToCp932(column.name, name))
      throw EngineError(QStringLiteral("Column name \"%1\" has no code page 932 form").arg(column.name));
    text += std::string("COLUMN ") + word + ' ' + std::to_string(column.size) + ' ' + name + eol;
  }
  return text;
}

}  // namespace korvel::db::local
