#include "db/local/localvtab.h"

#include <sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cstring>
#include <optional>

#include "db/isotext.h"
#include "db/local/keycodec.h"
#include "db/local/localdirectory.h"
#include "db/local/localoverlay.h"
#include "db/local/localsqlvalues.h"
#include "db/local/paradoxpatch.h"
#include "db/local/paradoxreader.h"
#include "db/local/rowids.h"
#include "db/local/rowwalk.h"

namespace korvel::db::local {
namespace {

// What xBestIndex chose, as bits of idxNum; the arguments of xFilter come
// in the order of these bits.
enum Plan : int {
  kRowidEq = 1 << 0,
  kRowidLow = 1 << 1,
  kRowidLowInclusive = 1 << 2,
  kRowidHigh = 1 << 3,
  kRowidHighInclusive = 1 << 4,
  kKeyEq = 1 << 5,
  kKeyLow = 1 << 6,
  kKeyLowInclusive = 1 << 7,
  kKeyHigh = 1 << 8,
  kKeyHighInclusive = 1 << 9,
  kOffset = 1 << 10,
};

QString quoted(const QString& name) { return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"'; }

QString declaredType(const LocalColumn& column, bool key) {
  switch (column.kind) {
    case FieldKind::String:
      return (column.size > 0 ? QStringLiteral("VARCHAR(%1)").arg(column.size) : QStringLiteral("VARCHAR")) +
             (key ? QStringLiteral(" COLLATE %1").arg(QLatin1String(kCp932Collation)) : QString());
    case FieldKind::Memo: return QStringLiteral("TEXT");
    case FieldKind::Smallint: return QStringLiteral("SMALLINT");
    case FieldKind::Integer: return QStringLiteral("INTEGER");
    case FieldKind::Float: return QStringLiteral("DOUBLE");
    case FieldKind::Currency: return QStringLiteral("CURRENCY");
    case FieldKind::Decimal: return QStringLiteral("NUMERIC");
    case FieldKind::Boolean: return QStringLiteral("BOOLEAN");
    case FieldKind::Date: return QStringLiteral("DATE");
    case FieldKind::Time: return QStringLiteral("TIME");
    case FieldKind::DateTime: return QStringLiteral("DATETIME");
    case FieldKind::Blob: return QStringLiteral("BLOB");
  }
  return QStringLiteral("TEXT");
}

QString declaration(const std::vector<LocalColumn>& columns, int keyColumns) {
  QStringList parts, keys;
  for (size_t i = 0; i < columns.size(); ++i) {
    const bool key = static_cast<int>(i) < keyColumns;
    parts << quoted(columns[i].name) + u' ' + declaredType(columns[i], key);
    if (key) keys << quoted(columns[i].name);
  }
  if (!keys.isEmpty()) parts << QStringLiteral("PRIMARY KEY (%1)").arg(keys.join(QStringLiteral(", ")));
  return QStringLiteral("CREATE TABLE x(%1)").arg(parts.join(QStringLiteral(", ")));
}

bool sameColumns(const std::vector<LocalColumn>& a, const std::vector<LocalColumn>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].name != b[i].name || a[i].kind != b[i].kind || a[i].size != b[i].size) return false;
  return true;
}

void setError(sqlite3_vtab* vtab, const QString& message) {
  sqlite3_free(vtab->zErrMsg);
  vtab->zErrMsg = sqlite3_mprintf("%s", message.toUtf8().constData());
}

// Runs a callback body; no exception ever reaches SQLite.
template <typename Body>
int guarded(sqlite3_vtab* vtab, Body&& body) {
  try {
    return body();
  } catch (const EngineError& e) {
    setError(vtab, e.lastMessage());
  } catch (const std::bad_alloc&) {
    return SQLITE_NOMEM;
  } catch (const std::exception& e) {
    setError(vtab, QString::fromLocal8Bit(e.what()));
  } catch (...) {
    setError(vtab, QStringLiteral("unexpected error"));
  }
  return SQLITE_ERROR;
}

struct Refusal {
  int code;
  QString message;
};

class LocalVtab final : public sqlite3_vtab, public LocalVirtualTable {
 public:
  LocalVtab(std::shared_ptr<LocalDirectory> directory, int id, const QString& path, LocalFileKind kind)
      : directory_(std::move(directory)), id_(id), path_(path), kind_(kind) {
    std::memset(static_cast<sqlite3_vtab*>(this), 0, sizeof(sqlite3_vtab));
  }
  ~LocalVtab() override {
    if (LocalDirectory::Table* entry = directory_->entry(id_); entry && entry->vtab == this) entry->vtab = nullptr;
  }

  // Reads the file to learn the columns. A file that cannot be read still
  // gets a table (of one column), whose every use reports why.
  QString declare() {
    try {
      file_ = LocalFile::open(path_, kind_);
      columns_ = file_->columns();
      keyColumns_ = file_->keyColumns();
    } catch (const EngineError& e) {
      unreadable_ = e.entries();
      columns_ = {{QStringLiteral("unreadable"), FieldKind::String, 0, false}};
      keyColumns_ = 0;
    }
    return declaration(columns_, keyColumns_);
  }

  // LocalVirtualTable
  bool hasPendingChanges() const override { return !overlay_.empty() || patch_ || writer_; }
  std::shared_ptr<LocalFile> currentFile() override {
    if (!unreadable_.isEmpty()) throw EngineError(unreadable_);
    const bool writing = patch_ || writer_;
    if (file_ && !writing && (replaced_ || (overlay_.empty() && file_->changedOnDisk()))) file_.reset();
    if (!file_) {
      std::shared_ptr<LocalFile> fresh = LocalFile::open(path_, kind_);
      if (!sameColumns(fresh->columns(), columns_) || fresh->keyColumns() != keyColumns_) {
        redeclare_ = true;
        throwFileError(path_, {}, QStringLiteral("the table's fields changed on disk; list the tables again to read it"));
      }
      file_ = std::move(fresh);
      ++generation_;
      ordered_.reset();
      replaced_ = false;
      // Ids of rows survive this program's own writing; a file another
      // program changed starts afresh.
      if (!keepIds_) rowIds_ = std::make_shared<const RowIds>();
      keepIds_ = false;
    }
    return file_;
  }
  bool keyOrdered() override {
    currentFile();
    return keyColumns_ == 0 || ordered();
  }
  void fileReplaced() override {
    replaced_ = true;
    keepIds_ = false;
  }
  const std::vector<LocalColumn>& declaredColumns() const override { return columns_; }
  int declaredKeyColumns() const override { return keyColumns_; }
  bool needsRedeclaring() const override { return redeclare_ || !unreadable_.isEmpty(); }

  int keyColumns() const { return keyColumns_; }
  const std::vector<LocalColumn>& columns() const { return columns_; }
  const LocalOverlay& overlay() const { return overlay_; }
  const uint64_t* generation() const { return &generation_; }
  const std::shared_ptr<const RowIds>& rowIds() const { return rowIds_; }
  const QString& path() const { return path_; }

  // Whether the records of the current file are in strictly ascending key
  // order, checked once per file: searches by key rely on it.
  bool ordered() {
    if (ordered_) return *ordered_;
    bool ascending = true;
    if (ParadoxReader* reader = file_->paradox()) {
      const size_t bytes = static_cast<size_t>(reader->keyBytes());
      std::string previous;
      for (int64_t n = 0; n < reader->rowCount() && ascending; ++n) {
        const char* raw = reader->rawRecord(n);
        ascending = n == 0 || std::memcmp(previous.data(), raw, bytes) < 0;
        previous.assign(raw, bytes);
      }
    } else {
      std::string previous;
      for (int64_t n = 0; file_->exists(n) && ascending; ++n) {
        std::string key = file_->keyOf(n);
        ascending = n == 0 || previous < key;
        previous = std::move(key);
      }
    }
    ordered_ = ascending;
    return ascending;
  }

  // The first record whose key bytes do not sort before `bound` (or, with
  // `after`, that sort after it), by the first key field.
  int64_t searchRecords(const std::string& bound, bool after) {
    int64_t low = 0, high = file_->count();
    while (low < high) {
      const int64_t middle = low + (high - low) / 2;
      const int order = comparePrefix(file_->keyOf(middle), bound);
      if (order < 0 || (after && order == 0)) low = middle + 1;
      else high = middle;
    }
    return low;
  }

  // Whether another row already holds `key`.
  bool keyTaken(const std::string& key, int64_t exceptRecord, int64_t exceptRowid) {
    if (const auto it = overlay_.addedByKey().find(key); it != overlay_.addedByKey().end() && it->second != exceptRowid)
      return true;
    const auto liveRecordHolds = [&](int64_t n) {
      return n != exceptRecord && !overlay_.deleted(n) && file_->keyOf(n) == key;
    };
    if (ordered()) {
      const int64_t n = searchRecords(key, false);
      return n < file_->count() && liveRecordHolds(n);
    }
    for (int64_t n = 0; file_->exists(n); ++n)
      if (liveRecordHolds(n)) return true;
    return false;
  }

  // The record of the file holding `rowid` (-1: an added row, or none).
  int64_t recordOf(int64_t rowid) {
    if (overlay_.added(rowid)) return -1;
    const int64_t record = rowIds_->recordOf(rowid);
    if (record < 0 || overlay_.deleted(record) || !file_->exists(record))
      throw EngineError(QStringLiteral("Row %1 of %2 is no longer there").arg(rowid).arg(path_));
    return record;
  }

  LocalRow currentRow(int64_t rowid) {
    if (const LocalOverlay::Added* added = overlay_.added(rowid)) return added->row;
    const int64_t record = recordOf(rowid);
    if (const LocalRow* changed = overlay_.changed(record)) return *changed;
    LocalRow row;
    file_->readRow(record, row);
    return row;
  }

  std::optional<Refusal> update(int argc, sqlite3_value** argv, sqlite_int64* newRowid) {
    currentFile();
    if (const QString refusal = file_->writeRefusal(); !refusal.isEmpty())
      return Refusal{SQLITE_READONLY, QStringLiteral("%1 cannot be changed: %2").arg(path_, refusal)};
    if (argc == 1) {
      remove(sqlite3_value_int64(argv[0]));
      return std::nullopt;
    }
    const bool inserting = sqlite3_value_type(argv[0]) == SQLITE_NULL;
    const int64_t rowid = inserting ? 0 : sqlite3_value_int64(argv[0]);
    if (inserting ? sqlite3_value_type(argv[1]) != SQLITE_NULL : sqlite3_value_int64(argv[1]) != rowid)
      return Refusal{SQLITE_CONSTRAINT, QStringLiteral("the row ids of %1 are given by the file and cannot be set").arg(path_)};
    const LocalRow current = inserting ? LocalRow() : currentRow(rowid);
    LocalRow row(static_cast<int>(columns_.size()));
    for (size_t i = 0; i < columns_.size(); ++i) {
      sqlite3_value* value = argv[i + 2];
      if (!inserting && sqlite3_value_nochange(value)) {
        row[static_cast<int>(i)] = current.value(static_cast<int>(i));
        continue;
      }
      QString why;
      if (!localValueFromSql(columns_[i].kind, value, row[static_cast<int>(i)], &why))
        return Refusal{SQLITE_MISMATCH, QStringLiteral("%1, field %2: %3").arg(path_, columns_[i].name, why)};
    }
    if (const QString problem = file_->checkRow(row); !problem.isEmpty())
      return Refusal{SQLITE_CONSTRAINT, QStringLiteral("%1: %2").arg(path_, problem)};
    const std::string key = keyColumns_ > 0 ? keyBytes(row, columns_, keyColumns_) : std::string();
    const auto keyViolation = [&] {
      return Refusal{SQLITE_CONSTRAINT, QStringLiteral("%1: another row has the same key (key violation)").arg(path_)};
    };
    if (inserting) {
      if (keyColumns_ > 0 && keyTaken(key, -1, -1)) return keyViolation();
      *newRowid = overlay_.add(std::move(row), key);
      return std::nullopt;
    }
    if (const LocalOverlay::Added* added = overlay_.added(rowid)) {
      if (keyColumns_ > 0 && key != added->key && keyTaken(key, -1, rowid)) return keyViolation();
      overlay_.changeAdded(rowid, std::move(row), key);
      return std::nullopt;
    }
    const int64_t record = recordOf(rowid);
    if (keyColumns_ > 0 && key != keyBytes(current, columns_, keyColumns_)) {
      // A record whose key changes moves to where its new key sorts.
      if (keyTaken(key, record, -1)) return keyViolation();
      overlay_.remove(record);
      overlay_.add(std::move(row), key);
      return std::nullopt;
    }
    overlay_.change(record, std::move(row));
    return std::nullopt;
  }

  void remove(int64_t rowid) {
    if (overlay_.added(rowid)) overlay_.removeAdded(rowid);
    else overlay_.remove(recordOf(rowid));
  }

  // The first half of the commit: everything that can fail. Records that
  // keep their key are patched where they stand when nothing else changed;
  // otherwise the whole table goes to temporary files.
  void prepareCommit() {
    if (overlay_.empty()) return;
    if (file_->changedOnDisk())
      throwFileError(path_, {}, QStringLiteral("another program changed the table after it was read; the changes were not written"));
    if (ParadoxReader* reader = file_->paradox(); reader && !overlay_.hasAdded() && !overlay_.hasDeleted()) {
      auto patch = std::make_unique<ParadoxPatch>(*reader);
      bool inPlace = true;
      for (const auto& [record, row] : overlay_.changedRecords()) {
        inPlace = patch->add(record, row);
        if (!inPlace) break;
      }
      if (inPlace) {
        patch->apply();
        patch_ = std::move(patch);
        return;
      }
    }
    const bool sort = keyColumns_ > 0 && !ordered();
    std::unique_ptr<LocalWriter> writer = file_->rewrite(sort);
    RowWalk walk(file_, keyColumns_, rowIds_, &overlay_, &generation_, generation_);
    RowIds::Builder ids;
    int64_t written = 0;
    for (walk.start(); !walk.atEnd(); walk.next()) {
      writer->append(walk.row(), written++);
      ids.add(walk.rowid());
    }
    writer->finish();
    writer_ = std::move(writer);
    // Rows sorted anew cannot keep their ids.
    pendingIds_ = std::make_shared<const RowIds>(sort ? RowIds() : ids.finish());
  }

  void commit() {
    overlay_.clear();
    savepoints_.clear();
    if (patch_) {
      patch_->commit();
      patch_.reset();
      replaced_ = keepIds_ = true;
    }
    if (writer_) {
      std::unique_ptr<LocalWriter> writer = std::move(writer_);
      replaced_ = keepIds_ = true;
      rowIds_ = pendingIds_;
      writer->commit();
    }
  }

  void rollback() {
    overlay_.clear();
    savepoints_.clear();
    writer_.reset();  // removes its temporary files
    if (patch_) {
      std::unique_ptr<ParadoxPatch> patch = std::move(patch_);
      replaced_ = keepIds_ = true;
      patch->rollback();
    }
  }

  void savepoint(int level) {
    savepoints_.resize(static_cast<size_t>(level) + 1);
    savepoints_[static_cast<size_t>(level)] = overlay_.mark();
  }
  void release(int level) {
    if (static_cast<size_t>(level) < savepoints_.size()) savepoints_.resize(static_cast<size_t>(level));
  }
  void rollbackTo(int level) {
    if (static_cast<size_t>(level) >= savepoints_.size()) return;
    overlay_.undoTo(savepoints_[static_cast<size_t>(level)]);
    savepoints_.resize(static_cast<size_t>(level) + 1);
  }

  int64_t estimatedRows() const {
    const int64_t known = file_ ? file_->knownCount() : -1;
    return known >= 0 ? known : 1000000;
  }

 private:
  std::shared_ptr<LocalDirectory> directory_;
  int id_;
  QString path_;
  LocalFileKind kind_;
  QStringList unreadable_;
  std::vector<LocalColumn> columns_;
  int keyColumns_ = 0;
  std::shared_ptr<LocalFile> file_;
  uint64_t generation_ = 0;
  std::optional<bool> ordered_;
  bool replaced_ = false;
  bool keepIds_ = false;
  std::shared_ptr<const RowIds> rowIds_ = std::make_shared<const RowIds>();
  std::shared_ptr<const RowIds> pendingIds_;
  bool redeclare_ = false;
  LocalOverlay overlay_;
  std::vector<size_t> savepoints_;
  std::unique_ptr<ParadoxPatch> patch_;
  std::unique_ptr<LocalWriter> writer_;
};

struct LocalCursor final : sqlite3_vtab_cursor {
  std::optional<RowWalk> walk;
  std::shared_ptr<LocalFile> file;
  LocalVtab& table() const { return *static_cast<LocalVtab*>(pVtab); }
};

LocalVtab& tableOf(sqlite3_vtab* vtab) { return *static_cast<LocalVtab*>(vtab); }

int connect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out, char** error) {
  const auto& directory = *static_cast<std::shared_ptr<LocalDirectory>*>(aux);
  const int id = argc > 3 ? std::atoi(argv[3]) : 0;
  LocalDirectory::Table* entry = directory->entry(id);
  if (!entry) {
    *error = sqlite3_mprintf("no table file %s in the directory", argc > 3 ? argv[3] : "");
    return SQLITE_ERROR;
  }
  try {
    auto vtab = std::make_unique<LocalVtab>(directory, id, entry->path, entry->kind);
    const QString sql = vtab->declare();
    const int result = sqlite3_declare_vtab(db, sql.toUtf8().constData());
    if (result != SQLITE_OK) {
      *error = sqlite3_mprintf("%s", sqlite3_errmsg(db));
      return result;
    }
    entry->vtab = vtab.get();
    *out = vtab.release();
    return SQLITE_OK;
  } catch (const std::bad_alloc&) {
    return SQLITE_NOMEM;
  } catch (const std::exception& e) {
    *error = sqlite3_mprintf("%s", e.what());
    return SQLITE_ERROR;
  }
}

int disconnect(sqlite3_vtab* vtab) {
  delete &tableOf(vtab);
  return SQLITE_OK;
}

// Constraints on the first key field narrow the records by binary search
// and always stay checked by SQLite too (their values may compare in ways
// the file's order does not know); the row id is exact.
int bestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
  LocalVtab& table = tableOf(vtab);
  const bool keyed = table.keyColumns() > 0;
  const FieldKind keyKind = keyed ? table.columns()[0].kind : FieldKind::String;
  int rowidEq = -1, rowidLow = -1, rowidHigh = -1, keyEq = -1, keyLow = -1, keyHigh = -1, offset = -1;
  bool others = false;
  for (int i = 0; i < info->nConstraint; ++i) {
    const auto& c = info->aConstraint[i];
    if (c.op == SQLITE_INDEX_CONSTRAINT_LIMIT) continue;
    if (c.op == SQLITE_INDEX_CONSTRAINT_OFFSET) {
      if (c.usable) offset = i;
      continue;
    }
    others = true;
    if (!c.usable) continue;
    const bool low = c.op == SQLITE_INDEX_CONSTRAINT_GT || c.op == SQLITE_INDEX_CONSTRAINT_GE;
    const bool high = c.op == SQLITE_INDEX_CONSTRAINT_LT || c.op == SQLITE_INDEX_CONSTRAINT_LE;
    if (c.iColumn < 0) {
      if (c.op == SQLITE_INDEX_CONSTRAINT_EQ && rowidEq < 0) rowidEq = i;
      else if (!keyed && low && rowidLow < 0) rowidLow = i;
      else if (!keyed && high && rowidHigh < 0) rowidHigh = i;
      continue;
    }
    if (!keyed || c.iColumn != 0) continue;
    if (keyKind == FieldKind::String || keyKind == FieldKind::Memo) {
      const char* collation = sqlite3_vtab_collation(info, i);
      if (!collation || sqlite3_stricmp(collation, kCp932Collation) != 0) continue;
    }
    if (c.op == SQLITE_INDEX_CONSTRAINT_EQ && keyEq < 0) keyEq = i;
    else if (low && keyLow < 0) keyLow = i;
    else if (high && keyHigh < 0) keyHigh = i;
  }

  int plan = 0, argument = 0;
  const auto use = [&](int constraint, int bits, bool omit) {
    if (constraint < 0) return;
    plan |= bits;
    info->aConstraintUsage[constraint].argvIndex = ++argument;
    info->aConstraintUsage[constraint].omit = omit;
  };
  const auto inclusive = [&](int constraint, int bit) {
    const int op = info->aConstraint[constraint].op;
    return op == SQLITE_INDEX_CONSTRAINT_GE || op == SQLITE_INDEX_CONSTRAINT_LE ? bit : 0;
  };
  const double rows = static_cast<double>(table.estimatedRows());
  if (rowidEq >= 0) {
    use(rowidEq, kRowidEq, true);
    info->estimatedCost = 1;
    info->estimatedRows = 1;
    info->idxFlags = SQLITE_INDEX_SCAN_UNIQUE;
  } else {
    if (rowidLow >= 0) use(rowidLow, kRowidLow | inclusive(rowidLow, kRowidLowInclusive), false);
    if (rowidHigh >= 0) use(rowidHigh, kRowidHigh | inclusive(rowidHigh, kRowidHighInclusive), false);
    if (keyEq >= 0) {
      use(keyEq, kKeyEq, false);
    } else {
      if (keyLow >= 0) use(keyLow, kKeyLow | inclusive(keyLow, kKeyLowInclusive), false);
      if (keyHigh >= 0) use(keyHigh, kKeyHigh | inclusive(keyHigh, kKeyHighInclusive), false);
    }
    const bool narrowed = plan != 0;
    info->estimatedRows = static_cast<sqlite3_int64>(keyEq >= 0 ? 1 : narrowed ? rows / 4 : rows);
    info->estimatedCost = keyEq >= 0 ? std::log2(rows + 2) : narrowed ? rows / 4 + 10 : rows + 10;
  }

  // ORDER BY the key (a prefix of its fields), or the row id of a table
  // without key: the order the rows come in anyway.
  bool ordered = info->nOrderBy > 0;
  for (int i = 0; i < info->nOrderBy && ordered; ++i) {
    const auto& term = info->aOrderBy[i];
    ordered = !term.desc && (keyed ? term.iColumn == i && i < table.keyColumns()
                                   : term.iColumn == -1 && i == 0 && table.rowIds()->ascending());
  }
  info->orderByConsumed = ordered;
  // OFFSET can be taken over only when every row the walk gives is a row of
  // the result: no other constraint, and the result in the walk's order.
  if (offset >= 0 && !others && (ordered || info->nOrderBy == 0)) use(offset, kOffset, true);
  info->idxNum = plan;
  return SQLITE_OK;
}

int open(sqlite3_vtab* vtab, sqlite3_vtab_cursor** out) {
  return guarded(vtab, [&] {
    auto cursor = std::make_unique<LocalCursor>();
    std::memset(static_cast<sqlite3_vtab_cursor*>(cursor.get()), 0, sizeof(sqlite3_vtab_cursor));
    cursor->file = tableOf(vtab).currentFile();
    *out = cursor.release();
    return SQLITE_OK;
  });
}

int close(sqlite3_vtab_cursor* cursor) {
  delete static_cast<LocalCursor*>(cursor);
  return SQLITE_OK;
}

// The key bytes of a bound on the first key field, when the value compares
// in SQL as it sorts in the file: a number for a number field, a text for a
// text field, the date or time text exactly as the table gives it. Any
// other value narrows nothing.
std::optional<std::string> keyBound(FieldKind kind, sqlite3_value* value) {
  const int type = sqlite3_value_type(value);
  QVariant converted;
  switch (kind) {
    case FieldKind::Smallint:
    case FieldKind::Integer:
    case FieldKind::Float:
    case FieldKind::Currency:
    case FieldKind::Decimal:
      if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) return std::nullopt;
      converted = sqlite3_value_double(value);
      break;
    case FieldKind::String:
    case FieldKind::Memo:
    case FieldKind::Date:
    case FieldKind::Time:
    case FieldKind::DateTime: {
      if (type != SQLITE_TEXT) return std::nullopt;
      const QString text(static_cast<const QChar*>(sqlite3_value_text16(value)),
                         sqlite3_value_bytes16(value) / static_cast<int>(sizeof(QChar)));
      if (kind == FieldKind::String || kind == FieldKind::Memo) {
        converted = text;
        break;
      }
      if (!localValueFromText(kind, text, converted, nullptr)) return std::nullopt;
      const QString canonical = kind == FieldKind::Date ? isoDateText(converted.toDate())
                                : kind == FieldKind::DateTime
                                    ? isoDateTimeText(converted.toDateTime())
                                    : converted.toTime().toString(converted.toTime().msec() ? QStringLiteral("hh:mm:ss.zzz")
                                                                                           : QStringLiteral("hh:mm:ss"));
      if (canonical != text) return std::nullopt;
      break;
    }
    default:
      return std::nullopt;
  }
  std::string bytes;
  appendKeyBytes(bytes, kind, converted);
  return bytes;
}

int filter(sqlite3_vtab_cursor* base, int plan, const char*, int argc, sqlite3_value** argv) {
  auto* cursor = static_cast<LocalCursor*>(base);
  LocalVtab& table = cursor->table();
  return guarded(base->pVtab, [&] {
    const std::shared_ptr<const RowIds> ids = table.rowIds();
    cursor->walk.emplace(cursor->file, table.keyColumns(), ids, &table.overlay(), table.generation(), *table.generation());
    RowWalk& walk = *cursor->walk;
    int next = 0;
    const auto argument = [&]() -> sqlite3_value* { return next < argc ? argv[next++] : nullptr; };
    if (plan & kRowidEq) {
      sqlite3_value* value = argument();
      const int64_t rowid = value && sqlite3_value_type(value) == SQLITE_INTEGER ? sqlite3_value_int64(value) : 0;
      const int64_t record = ids->recordOf(rowid);
      if (table.overlay().added(rowid)) walk.limitRecords(0, 0), walk.limitAddedIds(rowid, rowid + 1);
      else if (record >= 0) walk.limitRecords(record, record + 1), walk.limitAddedIds(0, 0);
      else walk.limitRecords(0, 0), walk.limitAddedIds(0, 0);
      walk.start();
      return SQLITE_OK;
    }
    int64_t from = 0, to = -1, fromId = LocalOverlay::kFirstAddedRowid, toId = INT64_MAX;
    const auto rowidArgument = [&](bool inclusive, bool low) -> int64_t {
      sqlite3_value* value = argument();
      const double v = value ? sqlite3_value_double(value) : 0;
      // The first row id inside the bound.
      const double first = low ? (inclusive ? std::ceil(v) : std::floor(v) + 1) : (inclusive ? std::floor(v) + 1 : std::ceil(v));
      return static_cast<int64_t>(std::clamp(first, -1.0, 9.0e18));
    };
    // Ranges of ids are ranges of records only while ids grow with them.
    if (plan & kRowidLow) {
      const int64_t low = rowidArgument(plan & kRowidLowInclusive, true);
      if (ids->ascending()) from = ids->firstRecordFrom(low);
      fromId = std::max(low, fromId);
    }
    if (plan & kRowidHigh) {
      const int64_t high = rowidArgument(plan & kRowidHighInclusive, false);  // exclusive
      if (ids->ascending()) to = ids->firstRecordFrom(high);
      toId = high;
    }
    std::optional<RowWalk::KeyBound> low, high;
    const FieldKind keyKind = table.keyColumns() > 0 ? table.columns()[0].kind : FieldKind::String;
    if (plan & kKeyEq) {
      if (auto bytes = keyBound(keyKind, argument())) low = high = RowWalk::KeyBound{*bytes, true};
    } else {
      if (plan & kKeyLow)
        if (auto bytes = keyBound(keyKind, argument())) low = RowWalk::KeyBound{*bytes, (plan & kKeyLowInclusive) != 0};
      if (plan & kKeyHigh)
        if (auto bytes = keyBound(keyKind, argument())) high = RowWalk::KeyBound{*bytes, (plan & kKeyHighInclusive) != 0};
    }
    // Records are searched by key only in a file known to keep key order.
    if ((low || high) && cursor->file.get() == table.currentFile().get() && table.ordered()) {
      if (low) from = std::max(from, table.searchRecords(low->bytes, !low->inclusive));
      if (high) {
        const int64_t end = table.searchRecords(high->bytes, high->inclusive);
        to = to < 0 ? end : std::min(to, end);
      }
    }
    walk.limitRecords(from, to);
    walk.limitAddedIds(fromId, toId);
    walk.limitAddedKeys(low, high);
    walk.start();
    if (plan & kOffset) {
      sqlite3_value* value = argument();
      const int64_t skip = value ? sqlite3_value_int64(value) : 0;
      if (skip > 0) walk.skip(skip);
    }
    return SQLITE_OK;
  });
}

int next(sqlite3_vtab_cursor* base) {
  auto* cursor = static_cast<LocalCursor*>(base);
  return guarded(base->pVtab, [&] {
    cursor->walk->next();
    return SQLITE_OK;
  });
}

int eof(sqlite3_vtab_cursor* base) {
  auto* cursor = static_cast<LocalCursor*>(base);
  return !cursor->walk || cursor->walk->atEnd();
}

int column(sqlite3_vtab_cursor* base, sqlite3_context* context, int index) {
  auto* cursor = static_cast<LocalCursor*>(base);
  if (sqlite3_vtab_nochange(context)) return SQLITE_OK;  // an UPDATE keeps what the field holds
  return guarded(base->pVtab, [&] {
    const LocalRow& row = cursor->walk->row();
    const auto& columns = cursor->table().columns();
    if (index < 0 || index >= static_cast<int>(columns.size())) sqlite3_result_null(context);
    else resultLocalValue(context, columns[static_cast<size_t>(index)].kind, row.value(index));
    return SQLITE_OK;
  });
}

int rowid(sqlite3_vtab_cursor* base, sqlite3_int64* out) {
  *out = static_cast<LocalCursor*>(base)->walk->rowid();
  return SQLITE_OK;
}

int update(sqlite3_vtab* vtab, int argc, sqlite3_value** argv, sqlite3_int64* newRowid) {
  return guarded(vtab, [&] {
    const std::optional<Refusal> refusal = tableOf(vtab).update(argc, argv, newRowid);
    if (!refusal) return SQLITE_OK;
    setError(vtab, refusal->message);
    return refusal->code;
  });
}

int begin(sqlite3_vtab*) { return SQLITE_OK; }

int sync(sqlite3_vtab* vtab) {
  return guarded(vtab, [&] {
    tableOf(vtab).prepareCommit();
    return SQLITE_OK;
  });
}

int commit(sqlite3_vtab* vtab) {
  return guarded(vtab, [&] {
    tableOf(vtab).commit();
    return SQLITE_OK;
  });
}

int rollback(sqlite3_vtab* vtab) {
  return guarded(vtab, [&] {
    tableOf(vtab).rollback();
    return SQLITE_OK;
  });
}

int savepoint(sqlite3_vtab* vtab, int level) {
  return guarded(vtab, [&] {
    tableOf(vtab).savepoint(level);
    return SQLITE_OK;
  });
}

int release(sqlite3_vtab* vtab, int level) {
  tableOf(vtab).release(level);
  return SQLITE_OK;
}

int rollbackTo(sqlite3_vtab* vtab, int level) {
  return guarded(vtab, [&] {
    tableOf(vtab).rollbackTo(level);
    return SQLITE_OK;
  });
}

int collate(void*, int leftBytes, const void* left, int rightBytes, const void* right) {
  const QStringView a(static_cast<const QChar*>(left), leftBytes / static_cast<int>(sizeof(QChar)));
  const QStringView b(static_cast<const QChar*>(right), rightBytes / static_cast<int>(sizeof(QChar)));
  return compareCp932(a, b);
}

sqlite3_module makeModule() {
  sqlite3_module module{};
  module.iVersion = 2;
  module.xCreate = connect;
  module.xConnect = connect;
  module.xBestIndex = bestIndex;
  module.xDisconnect = disconnect;
  module.xDestroy = disconnect;  // dropping a virtual table never removes its file
  module.xOpen = open;
  module.xClose = close;
  module.xFilter = filter;
  module.xNext = next;
  module.xEof = eof;
  module.xColumn = column;
  module.xRowid = rowid;
  module.xUpdate = update;
  module.xBegin = begin;
  module.xSync = sync;
  module.xCommit = commit;
  module.xRollback = rollback;
  module.xSavepoint = savepoint;
  module.xRelease = release;
  module.xRollbackTo = rollbackTo;
  return module;
}

const sqlite3_module kModule = makeModule();

}  // namespace

bool registerLocalModule(sqlite3* db, const std::shared_ptr<LocalDirectory>& directory) {
  if (sqlite3_create_collation_v2(db, kCp932Collation, SQLITE_UTF16_ALIGNED, nullptr, collate, nullptr) != SQLITE_OK)
    return false;
  auto* aux = new std::shared_ptr<LocalDirectory>(directory);
  return sqlite3_create_module_v2(db, "korvel_local", &kModule, aux, [](void* p) {
           delete static_cast<std::shared_ptr<LocalDirectory>*>(p);
         }) == SQLITE_OK;
}

}  // namespace korvel::db::local
