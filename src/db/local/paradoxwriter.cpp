#include "db/local/paradoxwriter.h"

#include "db/local/pxlib.h"
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <cstring>

#include "common/codepage.h"
#include "db/local/pagedfile.h"
#include "db/local/paradoxrecord.h"
#include "db/local/paradoxreader.h"

namespace korvel::db::local {
namespace {

constexpr int kMaxNameBytes = 25;

QString temporaryPath(const QString& path) {
  static std::atomic<int> serial{0};
  const QFileInfo info(path);
  return info.absoluteDir().filePath(QStringLiteral(".%1.korvel-%2-%3")
                                         .arg(info.fileName())
                                         .arg(QCoreApplication::applicationPid())
                                         .arg(++serial));
}

// Flushes a file pxlib wrote and closed to the disk.
bool syncFile(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

}  // namespace

struct ParadoxWriter::Files {
  QString dbTemp, pxTemp, mbTemp;
  std::unique_ptr<PagedStream> db, px;
  pxdoc_t* doc = nullptr;
  pxdoc_t* index = nullptr;
  QString lastError;

  static void onError(pxdoc_t*, int type, const char* message, void* data) {
    if (type == PX_Warning) return;
    static_cast<Files*>(data)->lastError = QString::fromLocal8Bit(message);
  }
  void closeDocuments() {
    if (index) PX_delete(index);
    if (doc) PX_delete(doc);  // also closes the memo file
    index = doc = nullptr;
  }
  ~Files() {
    closeDocuments();
    px.reset();
    db.reset();
    for (const QString& temp : {dbTemp, pxTemp, mbTemp})
      if (!temp.isEmpty()) QFile::remove(temp);
  }
};

ParadoxField ParadoxWriter::fieldFor(const LocalColumn& column) {
  ParadoxField f;
  switch (column.kind) {
    case FieldKind::String:
      if (column.size < 1 || column.size > 255)
        throw EngineError(QStringLiteral("Field %1: a Paradox text field holds 1 to 255 characters, not %2")
                              .arg(column.name).arg(column.size));
      f = {pxAlpha, column.size, 0};
      break;
    case FieldKind::Smallint: f = {pxShort, 2, 0}; break;
    case FieldKind::Integer: f = {pxLong, 4, 0}; break;
    case FieldKind::Float:
    case FieldKind::Decimal: f = {pxNumber, 8, 0}; break;
    case FieldKind::Currency: f = {pxCurrency, 8, 0}; break;
    case FieldKind::Boolean: f = {pxLogical, 1, 0}; break;
    case FieldKind::Date: f = {pxDate, 4, 0}; break;
    case FieldKind::Time: f = {pxTime, 4, 0}; break;
    case FieldKind::DateTime: f = {pxTimestamp, 8, 0}; break;
    case FieldKind::Memo: {
      // Keep up to 240 bytes in the record; only longer memos go to the .MB file.
      const int kept = column.size >= 1 && column.size <= 240 ? column.size : 240;
      f = {pxMemo, kept + 10, 0};
      break;
    }
    case FieldKind::Blob:
      throw EngineError(QStringLiteral("Field %1: binary fields cannot be written to Paradox tables").arg(column.name));
  }
  return f;
}

ParadoxWriter::ParadoxWriter(const QString& path, std::vector<ParadoxField> fields, QStringList names,
                             int keyFields)
    : path_(path), fields_(std::move(fields)), names_(std::move(names)), keyFields_(keyFields),
      files_(std::make_unique<Files>()) {
  if (fields_.empty() || fields_.size() > 255 || static_cast<int>(fields_.size()) != names_.size())
    fail(QStringLiteral("a Paradox table has 1 to 255 fields"));
  if (keyFields_ < 0 || keyFields_ > static_cast<int>(fields_.size())) fail(QStringLiteral("bad key field count"));
  for (size_t i = 0; i < fields_.size(); ++i) {
    const ParadoxField& f = fields_[i];
    if (static_cast<int>(i) < keyFields_) {
      if (f.type == pxMemo || f.type == pxBlob || f.type == pxFmtMemo || f.type == pxOle || f.type == pxGraphic)
        fail(QStringLiteral("memo field %1 cannot be part of the primary key").arg(names_[static_cast<int>(i)]));
      keyBytes_ += f.length;
    }
    hasMemo_ = hasMemo_ || f.type == pxMemo;
    recordSize_ += f.length;
  }
  if (recordSize_ > 32 * 1024 - 6) fail(QStringLiteral("the record is longer than a Paradox block"));

  Files& files = *files_;
  files.dbTemp = temporaryPath(path_);
  files.db = PagedStream::create(files.dbTemp);
  if (!files.db) fail(QStringLiteral("cannot create %1: %2").arg(files.dbTemp, QString::fromLocal8Bit(strerror(errno))));
  files.doc = PX_new3(&Files::onError, nullptr, nullptr, nullptr, &files);
  if (!files.doc) fail(QStringLiteral("pxlib cannot start"));
  auto* pxFields = static_cast<pxfield_t*>(files.doc->malloc(files.doc, sizeof(pxfield_t) * fields_.size(), "fields"));
  for (size_t i = 0; i < fields_.size(); ++i) {
    std::string name;
    int bad = -1;
    if (!tryToCp932(names_[static_cast<int>(i)], name, &bad) || name.empty() ||
        name.size() > static_cast<size_t>(kMaxNameBytes) || name.find('\0') != std::string::npos) {
      for (size_t j = 0; j < i; ++j) files.doc->free(files.doc, pxFields[j].px_fname);
      files.doc->free(files.doc, pxFields);
      fail(QStringLiteral("field name \"%1\" is not a Paradox field name (1 to %2 bytes of code page 932)")
               .arg(names_[static_cast<int>(i)]).arg(kMaxNameBytes));
    }
    pxFields[i].px_fname = PX_strdup(files.doc, name.c_str());
    pxFields[i].px_ftype = static_cast<char>(fields_[i].type);
    pxFields[i].px_flen = fields_[i].length;
    pxFields[i].px_fdc = fields_[i].decimals;
  }
  if (PX_create_fp(files.doc, pxFields, static_cast<int>(fields_.size()), files.db->stream(),
                   keyFields_ > 0 ? pxfFileTypIndexDB : pxfFileTypNonIndexDB) < 0)
    fail(QStringLiteral("pxlib cannot create the table: %1").arg(files.lastError));
  files.doc->px_head->px_doscodepage = 932;
  if (keyFields_ > 0 && PX_set_value(files.doc, "numprimkeys", static_cast<float>(keyFields_)) < 0)
    fail(QStringLiteral("pxlib cannot set the primary key: %1").arg(files.lastError));
  const std::string table = QFileInfo(path_).completeBaseName().toUpper().toLocal8Bit().left(64).toStdString();
  if (PX_set_parameter(files.doc, "tablename", table.c_str()) < 0)
    fail(QStringLiteral("pxlib cannot write the header: %1").arg(files.lastError));
  if (hasMemo_) {
    files.mbTemp = files.dbTemp + QStringLiteral(".mb");
    if (PX_set_blob_file(files.doc, QFile::encodeName(files.mbTemp).constData()) < 0)
      fail(QStringLiteral("pxlib cannot create the memo file: %1").arg(files.lastError));
  }
}

ParadoxWriter::~ParadoxWriter() = default;

void ParadoxWriter::fail(const QString& message) const {
  throw EngineError(QStringList{QStringLiteral("Cannot write %1").arg(path_), message});
}

std::string ParadoxWriter::encode(const LocalRow& row, int64_t rowNumber) {
  if (row.size() != static_cast<int>(fields_.size())) fail(QStringLiteral("row %1 has the wrong number of values").arg(rowNumber + 1));
  std::string record(static_cast<size_t>(recordSize_), '\0');
  char* at = record.data();
  for (size_t i = 0; i < fields_.size(); ++i) {
    QString why;
    files_->lastError.clear();
    if (encodeParadoxField(files_->doc, fields_[i], row[static_cast<int>(i)], at, true, &why) != FieldEncoding::Done) {
      if (!files_->lastError.isEmpty()) why += QStringLiteral(": ") + files_->lastError;
      fail(QStringLiteral("row %1, field %2: %3").arg(rowNumber + 1).arg(names_[static_cast<int>(i)], why));
    }
    at += fields_[i].length;
  }
  return record;
}

void ParadoxWriter::checkKeyOrder(const std::string& record) {
  if (keyFields_ == 0) return;
  const std::string key = record.substr(0, static_cast<size_t>(keyBytes_));
  if (records_ > 0) {
    const int order = std::memcmp(key.data(), lastKey_.data(), key.size());
    if (order == 0) fail(QStringLiteral("record %1 repeats the key of the record before it (key violation)").arg(records_ + 1));
    if (order < 0) fail(QStringLiteral("record %1 is not in key order").arg(records_ + 1));
  }
  lastKey_ = key;
}

void ParadoxWriter::appendRecord(const std::string& record) {
  if (committed_ || finished_) fail(QStringLiteral("the table was already written"));
  if (record.size() != static_cast<size_t>(recordSize_)) fail(QStringLiteral("record of the wrong size"));
  checkKeyOrder(record);
  files_->lastError.clear();
  if (PX_put_record(files_->doc, const_cast<char*>(record.data())) < 0)
    fail(QStringLiteral("pxlib cannot write record %1: %2").arg(records_ + 1).arg(files_->lastError));
  ++records_;
}

// The primary index: pxlib writes at most two index levels, so the data
// blocks must fit under one block of second-level entries.
void ParadoxWriter::writeIndex() {
  Files& files = *files_;
  files.pxTemp = files.dbTemp + QStringLiteral(".px");
  files.px = PagedStream::create(files.pxTemp);
  if (!files.px) fail(QStringLiteral("cannot create %1").arg(files.pxTemp));
  files.index = PX_new3(&Files::onError, nullptr, nullptr, nullptr, &files);
  auto* keys = static_cast<pxfield_t*>(files.index->malloc(files.index, sizeof(pxfield_t) * keyFields_, "keys"));
  for (int i = 0; i < keyFields_; ++i) {
    const pxfield_t* source = PX_get_field(files.doc, i);
    keys[i].px_fname = PX_strdup(files.index, source->px_fname);
    keys[i].px_ftype = source->px_ftype;
    keys[i].px_flen = source->px_flen;
    keys[i].px_fdc = source->px_fdc;
  }
  if (PX_create_fp(files.index, keys, keyFields_, files.px->stream(), pxfFileTypPrimIndex) < 0)
    fail(QStringLiteral("pxlib cannot create the primary index: %1").arg(files.lastError));
  const int entrySize = files.index->px_head->px_recordsize;
  const int perBlock = (files.index->px_head->px_maxtablesize * 1024 - 6) / entrySize;
  const int dataBlocks = static_cast<int>(files.doc->px_head->px_fileblocks);
  if (dataBlocks > perBlock && (dataBlocks + perBlock - 1) / perBlock > perBlock)
    fail(QStringLiteral("the primary index of %1 data blocks needs more than two levels, which pxlib cannot write")
             .arg(dataBlocks));
  if (PX_write_primary_index(files.doc, files.index) < 0)
    fail(QStringLiteral("pxlib cannot write the primary index: %1").arg(files.lastError));
}

void ParadoxWriter::finish() {
  if (finished_) return;
  if (committed_) fail(QStringLiteral("the table was already written"));
  Files& files = *files_;
  if (keyFields_ > 0) writeIndex();
  files.closeDocuments();  // writes what pxlib still holds, closes the memo file
  if (!files.db->commit() || (files.px && !files.px->commit()))
    fail(QStringLiteral("cannot write to the disk: %1").arg(QString::fromLocal8Bit(strerror(errno))));
  if (!files.mbTemp.isEmpty() && !syncFile(files.mbTemp))
    fail(QStringLiteral("cannot write %1 to the disk").arg(files.mbTemp));
  finished_ = true;
}

void ParadoxWriter::commit() {
  if (committed_) return;
  finish();
  Files& files = *files_;
  const auto place = [&](QString& temp, const QString& ext) {
    if (temp.isEmpty()) return;
    const QString target = ext.isEmpty() ? path_ : companionFile(path_, ext);
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0)
      fail(QStringLiteral("cannot replace %1: %2").arg(target, QString::fromLocal8Bit(strerror(errno))));
    temp.clear();
  };
  place(files.mbTemp, QStringLiteral("MB"));
  place(files.dbTemp, QString());
  place(files.pxTemp, QStringLiteral("PX"));
  // A table without key must not keep the index of the table it replaced.
  if (keyFields_ == 0) QFile::remove(companionFile(path_, QStringLiteral("PX")));
  if (!hasMemo_) QFile::remove(companionFile(path_, QStringLiteral("MB")));
  committed_ = true;
}

}  // namespace korvel::db::local
