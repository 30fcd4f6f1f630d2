#include "local_fuzz_checks.h"

#include <QDir>
#include <QFile>

#include "db/local/csvtable.h"
#include "db/local/paradoxreader.h"

namespace localfuzz {
namespace {

// A new file each time: truncating a file that holds data makes some file
// systems flush it to the disk on close, which would dominate the run.
bool write(const QString& path, const char* data, size_t size) {
  QFile::remove(path);
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(data, static_cast<qint64>(size)) == static_cast<qint64>(size);
}

}  // namespace

bool readAsFile(const QString& dir, Target target, const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  const QDir folder(dir);
  if (!folder.mkpath(QStringLiteral("."))) return false;
  try {
    if (target == Target::Paradox) {
      const QString path = folder.filePath(QStringLiteral("FUZZ.DB"));
      if (!write(path, bytes, size)) return false;
      korvel::db::local::ParadoxReader reader(path);
      for (int64_t i = 0; i < reader.rowCount(); ++i) reader.row(i);
      reader.checkBlocks();
    } else {
      const QString path = folder.filePath(QStringLiteral("fuzz.csv"));
      const QString schema = folder.filePath(QStringLiteral("fuzz.schema"));
      if (!write(path, bytes, size)) return false;
      QFile::remove(schema);
      if (target == Target::CsvWithSchema) {
        static const char text[] =
            "KORVEL CSV SCHEMA 1\nKEY 1\nCOLUMN INTEGER 0 A\nCOLUMN DATE 0 B\nCOLUMN DATETIME 0 C\n"
            "COLUMN TIME 0 D\nCOLUMN BOOLEAN 0 E\nCOLUMN FLOAT 0 F\n";
        if (!write(schema, text, sizeof text - 1)) return false;
      }
      korvel::db::local::CsvReader reader(path);
      const int64_t rows = reader.rowCount();
      for (int64_t i = rows - 1; i >= 0; i -= 3) reader.row(i);  // backwards: from the checkpoints
      for (int64_t i = 0; i < rows; ++i) reader.row(i);
    }
  } catch (const korvel::db::EngineError&) {
    return false;
  }
  return true;
}

}  // namespace localfuzz
