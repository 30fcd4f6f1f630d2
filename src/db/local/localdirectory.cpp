#include "db/local/localdirectory.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

#include "db/local/localvtab.h"

namespace korvel::db::local {
namespace {

QString quoted(const QString& name) { return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"'; }

bool isTableSuffix(const QString& suffix, LocalFileKind& kind) {
  if (suffix.compare(u"db", Qt::CaseInsensitive) == 0) {
    kind = LocalFileKind::Paradox;
    return true;
  }
  if (suffix.compare(u"csv", Qt::CaseInsensitive) == 0) {
    kind = LocalFileKind::Csv;
    return true;
  }
  return false;
}

int64_t modificationStamp(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return -2;
  return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

LocalDirectory::LocalDirectory(const QString& path) : path_(QDir(path).absolutePath()) {}

LocalDirectory::~LocalDirectory() = default;

// Tables are files here: a statement a user runs cannot create or drop
// tables of the directory's database (they would live in memory only).
int LocalDirectory::authorize(void* self, int action, const char*, const char*, const char* database, const char*) {
  if (static_cast<LocalDirectory*>(self)->internal_) return SQLITE_OK;
  switch (action) {
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_VIEW:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_INDEX:
    case SQLITE_DROP_VIEW:
    case SQLITE_DROP_TRIGGER:
      return database && std::strcmp(database, "main") == 0 ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_ALTER_TABLE:
      return database && std::strcmp(database, "main") == 0 ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_CREATE_VTABLE:
    case SQLITE_DROP_VTABLE:
      return SQLITE_DENY;
    default:
      return SQLITE_OK;
  }
}

bool LocalDirectory::attach(sqlite3* db, QString* why) {
  db_ = db;
  if (!registerLocalModule(db, shared_from_this())) {
    if (why) *why = QString::fromUtf8(sqlite3_errmsg(db));
    return false;
  }
  sqlite3_set_authorizer(db, &LocalDirectory::authorize, this);
  sync();
  return true;
}

bool LocalDirectory::execInternal(const QString& sql, QString* why) {
  internal_ = true;
  char* message = nullptr;
  const int result = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &message);
  internal_ = false;
  if (result != SQLITE_OK && why) *why = QString::fromUtf8(message ? message : sqlite3_errstr(result));
  sqlite3_free(message);
  return result == SQLITE_OK;
}

std::vector<LocalDirectory::Scanned> LocalDirectory::scan() const {
  std::vector<Scanned> found;
  const QFileInfoList files = QDir(path_).entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
  for (const QFileInfo& file : files) {
    LocalFileKind kind;
    if (file.fileName().startsWith(u'.') || !isTableSuffix(file.suffix(), kind)) continue;
    found.push_back({file.fileName(), kind});
  }
  // Paradox tables first: they take the plain names.
  std::stable_sort(found.begin(), found.end(), [](const Scanned& a, const Scanned& b) {
    return a.kind == LocalFileKind::Paradox && b.kind != LocalFileKind::Paradox;
  });
  return found;
}

QString LocalDirectory::nameFor(const QString& fileName, LocalFileKind kind) const {
  const auto taken = [&](const QString& name) {
    for (const auto& [id, table] : tables_)
      if (table.name.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
  };
  const QString base = QFileInfo(fileName).completeBaseName();
  if (kind == LocalFileKind::Paradox && !base.isEmpty() && !taken(base)) return base;
  if (!taken(fileName)) return fileName;
  return {};
}

const LocalDirectory::Table* LocalDirectory::addTable(const QString& fileName, LocalFileKind kind) {
  const QString name = nameFor(fileName, kind);
  if (name.isEmpty()) return nullptr;  // two files whose names differ only in case
  const int id = nextId_++;
  Table& table = tables_[id];
  table.id = id;
  table.name = name;
  table.fileName = fileName;
  table.path = QDir(path_).filePath(fileName);
  table.kind = kind;
  QString why;
  if (!execInternal(QStringLiteral("CREATE VIRTUAL TABLE main.%1 USING korvel_local(%2)").arg(quoted(name)).arg(id), &why)) {
    tables_.erase(id);
    throw EngineError(QStringList{QStringLiteral("Cannot make a table of %1").arg(QDir(path_).filePath(fileName)), why});
  }
  return &tables_.at(id);
}

// False when SQLite cannot drop it now (a statement still reads it).
bool LocalDirectory::dropTable(int id) {
  const auto it = tables_.find(id);
  if (it == tables_.end()) return true;
  QString why;
  if (!execInternal(QStringLiteral("DROP TABLE main.%1").arg(quoted(it->second.name)), &why)) return false;
  tables_.erase(id);
  return true;
}

void LocalDirectory::noteSynced() { syncedStamp_ = modificationStamp(path_); }

bool LocalDirectory::changedSinceSync() const {
  if (modificationStamp(path_) != syncedStamp_) return true;
  for (const auto& [id, table] : tables_)
    if (table.vtab && table.vtab->needsRedeclaring()) return true;
  return false;
}

void LocalDirectory::sync() {
  const std::vector<Scanned> files = scan();
  std::vector<int> stale;
  for (const auto& [id, table] : tables_) {
    const bool present = QFileInfo::exists(table.path);
    const bool pending = table.vtab && table.vtab->hasPendingChanges();
    if (!pending && (!present || (table.vtab && table.vtab->needsRedeclaring()))) stale.push_back(id);
  }
  for (int id : stale) dropTable(id);
  for (const Scanned& file : files) {
    bool known = false;
    for (const auto& [id, table] : tables_) known = known || table.fileName == file.fileName;
    if (!known) {
      try {
        addTable(file.fileName, file.kind);
      } catch (const EngineError&) {
        // Listed without it; opening it by name reports why.
      }
    }
  }
  noteSynced();
}

std::vector<const LocalDirectory::Table*> LocalDirectory::tables() const {
  std::vector<const Table*> list;
  for (const auto& [id, table] : tables_) list.push_back(&table);
  std::sort(list.begin(), list.end(), [](const Table* a, const Table* b) {
    return a->name.compare(b->name, Qt::CaseInsensitive) < 0;
  });
  return list;
}

const LocalDirectory::Table* LocalDirectory::find(const QString& text) const {
  const QString wanted = text.trimmed();
  for (const auto& [id, table] : tables_)
    if (table.name.compare(wanted, Qt::CaseInsensitive) == 0) return &table;
  QString fileName = wanted;
  if (QFileInfo(wanted).isAbsolute() && QFileInfo(wanted).absolutePath() == path_) fileName = QFileInfo(wanted).fileName();
  for (const auto& [id, table] : tables_)
    if (table.fileName == fileName) return &table;
  for (const auto& [id, table] : tables_)
    if (table.fileName.compare(fileName, Qt::CaseInsensitive) == 0) return &table;
  return nullptr;
}

LocalDirectory::Table* LocalDirectory::entry(int id) {
  const auto it = tables_.find(id);
  return it == tables_.end() ? nullptr : &it->second;
}

const LocalDirectory::Table* LocalDirectory::addFile(const QString& fileName, LocalFileKind kind) {
  for (const auto& [id, table] : tables_)
    if (table.fileName == fileName) return &table;
  const QString path = QDir(path_).filePath(fileName);
  if (!QFileInfo(path).isFile()) throwFileError(path, {}, QStringLiteral("no such file"));
  const Table* table = addTable(fileName, kind);
  if (!table) throwFileError(path, {}, QStringLiteral("another table of the directory has that name"));
  return table;
}

QString LocalDirectory::pathFor(const QString& text, LocalFileKind kind) const {
  if (const Table* table = find(text); table && table->kind == kind) return table->path;
  // A text table keeps any extension it is given (notes.txt); a Paradox
  // table is always a .DB file.
  const QFileInfo info(text.trimmed());
  const bool paradoxSuffix = info.suffix().compare(u"db", Qt::CaseInsensitive) == 0;
  if (kind == LocalFileKind::Paradox ? paradoxSuffix : !info.suffix().isEmpty() && !paradoxSuffix)
    return QDir(path_).filePath(info.fileName());
  return QDir(path_).filePath(info.fileName() + (kind == LocalFileKind::Paradox ? QStringLiteral(".DB") : QStringLiteral(".csv")));
}

LocalFileKind LocalDirectory::kindFor(const QString& text, bool textByDefault) const {
  if (const Table* table = find(text)) return table->kind;
  const QString suffix = QFileInfo(text.trimmed()).suffix();
  if (suffix.compare(u"db", Qt::CaseInsensitive) == 0) return LocalFileKind::Paradox;
  if (suffix.compare(u"csv", Qt::CaseInsensitive) == 0 || textByDefault) return LocalFileKind::Csv;
  return LocalFileKind::Paradox;
}

const LocalDirectory::Table* LocalDirectory::fileReplaced(const QString& path) {
  for (auto& [id, table] : tables_) {
    if (table.path != path) continue;
    if (!table.vtab) return &table;
    table.vtab->fileReplaced();
    // A table whose fields changed is made anew.
    bool same = false;
    try {
      const std::shared_ptr<LocalFile> file = LocalFile::open(path, table.kind);
      same = file->columns().size() == table.vtab->declaredColumns().size() &&
             file->keyColumns() == table.vtab->declaredKeyColumns();
      for (size_t i = 0; same && i < file->columns().size(); ++i) {
        const LocalColumn& a = file->columns()[i];
        const LocalColumn& b = table.vtab->declaredColumns()[i];
        same = a.name == b.name && a.kind == b.kind && a.size == b.size;
      }
    } catch (const EngineError&) {
    }
    if (same && !table.vtab->needsRedeclaring()) return &table;
    const QString fileName = table.fileName;
    const LocalFileKind kind = table.kind;
    if (!dropTable(id)) return &table;  // made anew at the next listing
    return addTable(fileName, kind);
  }
  return addTable(QFileInfo(path).fileName(), localFileKindOf(path));
}

const LocalDirectory::Table* LocalDirectory::createTable(const QString& text, LocalFileKind kind, const LocalTableDef& def) {
  const QString path = pathFor(text, kind);
  for (const auto& [id, table] : tables_)
    if (table.path == path && table.vtab && table.vtab->hasPendingChanges())
      throwFileError(path, {}, QStringLiteral("the table has changes not yet written; it cannot be replaced now"));
  createLocalWriter(path, kind, def, true)->commit();
  return fileReplaced(path);
}

}  // namespace korvel::db::local
