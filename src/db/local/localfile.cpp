#include "db/local/localfile.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>

#include "common/codepage.h"
#include "db/local/csvtable.h"
#include "db/local/csvvalues.h"
#include "db/local/keycodec.h"
#include "db/local/paradoxpatch.h"
#include "db/local/paradoxreader.h"
#include "db/local/paradoxrecord.h"
#include "db/local/paradoxwriter.h"
#include "db/local/pxlib.h"

namespace korvel::db::local {
namespace {

class ParadoxTableWriter final : public LocalWriter {
 public:
  ParadoxTableWriter(const QString& path, const std::vector<ParadoxField>& fields, const QStringList& names, int keys)
      : writer_(path, fields, names, keys) {}
  void append(const LocalRow& row, int64_t rowNumber) override { writer_.append(row, rowNumber); }
  void finish() override { writer_.finish(); }
  void commit() override { writer_.commit(); }

 private:
  ParadoxWriter writer_;
};

class CsvTableWriter final : public LocalWriter {
 public:
  CsvTableWriter(const QString& path, const CsvSchema& schema, bool withSchemaFile)
      : writer_(path, schema, withSchemaFile) {}
  void append(const LocalRow& row, int64_t rowNumber) override { writer_.append(row, rowNumber); }
  void finish() override { writer_.finish(); }
  void commit() override { writer_.commit(); }
  CsvWriter* csvWriter() override { return &writer_; }

 private:
  CsvWriter writer_;
};

// Rows of a keyed table that may come in any order: each row goes to a
// temporary file beside the table, only its key and place stay in memory;
// finish() sorts them and hands the rows to the table's writer in key order.
class SortingWriter final : public LocalWriter {
 public:
  SortingWriter(std::unique_ptr<LocalWriter> inner, const QString& path, const LocalTableDef& def)
      : inner_(std::move(inner)), def_(def), path_(path),
        spill_(QFileInfo(path).absoluteDir().filePath(QStringLiteral(".korvel-sort-XXXXXX"))) {
    if (!spill_.open()) fail(QStringLiteral("cannot create a temporary file beside it: %1").arg(spill_.errorString()));
    stream_.setDevice(&spill_);
  }
  void append(const LocalRow& row, int64_t rowNumber) override {
    entries_.push_back({keyBytes(row, def_.columns, def_.keyColumns), spill_.pos(), rowNumber});
    stream_ << row;
    if (stream_.status() != QDataStream::Ok) fail(QStringLiteral("cannot write the temporary file %1").arg(spill_.fileName()));
  }
  void finish() override {
    if (finished_) return;
    std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
    for (size_t i = 1; i < entries_.size(); ++i)
      if (entries_[i].key == entries_[i - 1].key)
        fail(QStringLiteral("rows %1 and %2 have the same key (key violation)")
                 .arg(std::min(entries_[i - 1].row, entries_[i].row) + 1)
                 .arg(std::max(entries_[i - 1].row, entries_[i].row) + 1));
    LocalRow row;
    for (const Entry& entry : entries_) {
      if (!spill_.seek(entry.offset)) fail(QStringLiteral("cannot read the temporary file %1").arg(spill_.fileName()));
      stream_.resetStatus();
      stream_ >> row;
      if (stream_.status() != QDataStream::Ok) fail(QStringLiteral("cannot read the temporary file %1").arg(spill_.fileName()));
      inner_->append(row, entry.row);
    }
    entries_.clear();
    entries_.shrink_to_fit();
    inner_->finish();
    finished_ = true;
  }
  void commit() override {
    finish();
    inner_->commit();
  }

 private:
  struct Entry {
    std::string key;
    qint64 offset;
    int64_t row;
  };
  [[noreturn]] void fail(const QString& message) const {
    throw EngineError(QStringList{QStringLiteral("Cannot write %1").arg(path_), message});
  }
  std::unique_ptr<LocalWriter> inner_;
  LocalTableDef def_;
  QString path_;
  QTemporaryFile spill_;
  QDataStream stream_;
  std::vector<Entry> entries_;
  bool finished_ = false;
};

class KeyOrderCheck final : public LocalWriter {
 public:
  KeyOrderCheck(std::unique_ptr<LocalWriter> inner, const LocalTableDef& def) : inner_(std::move(inner)), def_(def) {}
  void append(const LocalRow& row, int64_t rowNumber) override {
    std::string key = keyBytes(row, def_.columns, def_.keyColumns);
    if (any_ && !(last_ < key)) throw RowsOutOfKeyOrder{};
    inner_->append(row, rowNumber);
    last_ = std::move(key);
    any_ = true;
  }
  void finish() override { inner_->finish(); }
  void commit() override { inner_->commit(); }
  CsvWriter* csvWriter() override { return inner_->csvWriter(); }

 private:
  std::unique_ptr<LocalWriter> inner_;
  LocalTableDef def_;
  std::string last_;
  bool any_ = false;
};

// A pxlib document with no file, to encode field values.
struct EncodingDocument {
  pxdoc_t* doc = PX_new();
  ~EncodingDocument() {
    if (doc) PX_delete(doc);
  }
};

class ParadoxFile final : public LocalFile {
 public:
  explicit ParadoxFile(const QString& path) : reader_(path) {}
  LocalFileKind kind() const override { return LocalFileKind::Paradox; }
  const QString& path() const override { return reader_.path(); }
  const std::vector<LocalColumn>& columns() const override { return reader_.columns(); }
  int keyColumns() const override { return reader_.keyFields(); }
  bool exists(int64_t n) override { return n >= 0 && n < reader_.rowCount(); }
  bool readRow(int64_t n, LocalRow& out) override {
    if (!exists(n)) return false;
    out = reader_.row(n);
    return true;
  }
  int64_t count() override { return reader_.rowCount(); }
  int64_t knownCount() const override { return reader_.rowCount(); }
  std::string keyOf(int64_t n) override {
    return keyBytes(reader_.leadingFields(n, reader_.keyFields()), reader_.columns(), reader_.keyFields());
  }
  bool changedOnDisk() const override { return reader_.changedOnDisk(); }
  QString writeRefusal() const override { return reader_.writeRefusal(); }
  QString checkRow(const LocalRow& row) override {
    const auto& fields = reader_.layout().fields;
    if (row.size() != static_cast<int>(fields.size())) return QStringLiteral("wrong number of values");
    std::string scratch;
    for (size_t i = 0; i < fields.size(); ++i) {
      scratch.assign(static_cast<size_t>(fields[i].length), '\0');
      QString why;
      if (encodeParadoxField(encoder_.doc, fields[i], row[static_cast<int>(i)], scratch.data(), false, &why) ==
          FieldEncoding::Refused)
        return QStringLiteral("field %1: %2").arg(reader_.columns()[i].name, why);
    }
    return {};
  }
  std::unique_ptr<LocalWriter> rewrite(bool sort) override {
    std::unique_ptr<LocalWriter> writer =
        std::make_unique<ParadoxTableWriter>(reader_.path(), reader_.layout().fields, reader_.names(), reader_.keyFields());
    if (sort && reader_.keyFields() > 0)
      writer = std::make_unique<SortingWriter>(std::move(writer), reader_.path(), definition());
    return writer;
  }
  ParadoxReader* paradox() override { return &reader_; }

 private:
  ParadoxReader reader_;
  EncodingDocument encoder_;
};

class CsvFile final : public LocalFile {
 public:
  explicit CsvFile(const QString& path) : reader_(path) {}
  LocalFileKind kind() const override { return LocalFileKind::Csv; }
  const QString& path() const override { return reader_.path(); }
  const std::vector<LocalColumn>& columns() const override { return reader_.columns(); }
  int keyColumns() const override { return reader_.schema().keyColumns; }
  bool exists(int64_t n) override { return reader_.exists(n); }
  bool readRow(int64_t n, LocalRow& out) override { return reader_.readRow(n, out); }
  int64_t count() override { return reader_.rowCount(); }
  int64_t knownCount() const override { return -1; }
  std::string keyOf(int64_t n) override {
    LocalRow row;
    if (!reader_.readLeading(n, static_cast<size_t>(keyColumns()), row)) throwFileError(reader_.path(), {}, QStringLiteral("no record %1").arg(n + 1));
    return keyBytes(row, columns(), keyColumns());
  }
  bool changedOnDisk() const override { return reader_.changedOnDisk(); }
  QString writeRefusal() const override { return {}; }
  QString checkRow(const LocalRow& row) override {
    const auto& columns = reader_.columns();
    if (row.size() != static_cast<int>(columns.size())) return QStringLiteral("wrong number of values");
    for (size_t i = 0; i < columns.size(); ++i) {
      const QVariant& value = row[static_cast<int>(i)];
      if (value.isNull()) continue;
      const LocalColumn& column = columns[i];
      QString text, why;
      if (!csvText(column.kind, value, text, &why)) return QStringLiteral("column %1: %2").arg(column.name, why);
      int bad = -1;
      std::string bytes;
      if (!reader_.schema().utf8 && !tryToCp932(text, bytes, &bad))
        return QStringLiteral("column %1: character %2 has no code page 932 form").arg(column.name, text.mid(bad, 1));
      if (column.kind == FieldKind::String && column.size > 0 && text.size() > column.size)
        return QStringLiteral("column %1: %2 characters do not fit a column of %3").arg(column.name).arg(text.size()).arg(column.size);
    }
    return {};
  }
  std::unique_ptr<LocalWriter> rewrite(bool sort) override {
    std::unique_ptr<LocalWriter> writer =
        std::make_unique<CsvTableWriter>(reader_.path(), reader_.schema(), reader_.hasSchemaFile());
    if (sort && keyColumns() > 0) writer = std::make_unique<SortingWriter>(std::move(writer), reader_.path(), definition());
    return writer;
  }
  CsvReader* csv() override { return &reader_; }

 private:
  CsvReader reader_;
};

}  // namespace

std::shared_ptr<LocalFile> LocalFile::open(const QString& path, LocalFileKind kind) {
  if (kind == LocalFileKind::Paradox) {
    ParadoxPatch::recover(path);
    return std::make_shared<ParadoxFile>(path);
  }
  return std::make_shared<CsvFile>(path);
}

std::unique_ptr<LocalWriter> checkingKeyOrder(std::unique_ptr<LocalWriter> inner, const LocalTableDef& def) {
  if (def.keyColumns == 0) return inner;
  return std::make_unique<KeyOrderCheck>(std::move(inner), def);
}

LocalFileKind localFileKindOf(const QString& path) {
  return QFileInfo(path).suffix().compare(u"db", Qt::CaseInsensitive) == 0 ? LocalFileKind::Paradox
                                                                           : LocalFileKind::Csv;
}

std::unique_ptr<LocalWriter> createLocalWriter(const QString& path, LocalFileKind kind, const LocalTableDef& def,
                                               bool rowsInKeyOrder) {
  if (def.keyColumns < 0 || def.keyColumns > static_cast<int>(def.columns.size()))
    throw EngineError(QStringList{QStringLiteral("Cannot write %1").arg(path), QStringLiteral("bad key column count")});
  std::unique_ptr<LocalWriter> writer;
  if (kind == LocalFileKind::Paradox) {
    std::vector<ParadoxField> fields;
    QStringList names;
    for (const LocalColumn& column : def.columns) {
      fields.push_back(ParadoxWriter::fieldFor(column));
      names << column.name;
    }
    writer = std::make_unique<ParadoxTableWriter>(path, fields, names, def.keyColumns);
  } else {
    CsvSchema schema;
    schema.keyColumns = def.keyColumns;
    schema.columns = def.columns;
    writer = std::make_unique<CsvTableWriter>(path, schema, true);
  }
  if (def.keyColumns > 0 && !rowsInKeyOrder) writer = std::make_unique<SortingWriter>(std::move(writer), path, def);
  return writer;
}

}  // namespace korvel::db::local
