#include "db/engine.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <map>
#include <set>

#include "common/paths.h"
#include "db/aliasregistry.h"
#include "db/dataset.h"
#include "db/datasetimpl.h"
#include "db/demodatabase.h"
#include "db/driver.h"

namespace korvel::db {
namespace {

const QString kDemoAlias = QStringLiteral("DEMO");

QString demoDatabasePath() {
  return QString::fromStdString(dataDir()) + QStringLiteral("/demo.sqlite");
}

}  // namespace

struct Engine::Impl {
  struct Connection {
    QString name;
    std::unique_ptr<Driver> driver;
  };
  AliasRegistry registry;
  bool loaded = false;
  std::map<QString, Connection> connections;  // by AliasRegistry::lookupName
  std::set<Dataset*> datasets;
  int connectionSerial = 0;

  // Directories named where an alias is expected, by absolute path.
  std::map<QString, Alias> directories;

  const Alias& alias(const QString& name) {
    if (!loaded) loadFromFile();
    if (const Alias* found = registry.find(name)) return *found;
    if (const Alias* directory = directoryAlias(name)) return *directory;
    throw EngineError(QStringLiteral("Unknown alias: %1").arg(name));
  }
  // A directory path typed where an alias name is expected stands for an
  // alias of type PARADOX over that directory.
  const Alias* directoryAlias(const QString& text) {
    const QFileInfo info(text.trimmed());
    if (text.trimmed().isEmpty() || !info.isDir()) return nullptr;
    const QString path = info.absoluteFilePath();
    auto [it, added] = directories.try_emplace(path);
    if (added) it->second = Alias{path, {{QStringLiteral("TYPE"), QStringLiteral("PARADOX")}, {QStringLiteral("PATH"), path}}};
    return &it->second;
  }
  // The key of an alias's connection: directories by their exact path.
  QString connectionKey(const Alias& alias) const {
    const auto it = directories.find(alias.name);
    if (it != directories.end() && &it->second == &alias) return QStringLiteral("directory:") + alias.name;
    return AliasRegistry::lookupName(alias.name);
  }

  QStringList loadFromFile();
  // Closes the datasets reading through the connection, then the connection.
  void dropConnection(std::map<QString, Connection>::iterator it);
};

void Engine::Impl::dropConnection(std::map<QString, Connection>::iterator it) {
  const QString name = it->second.name;
  const std::set<Dataset*> open = datasets;
  for (Dataset* dataset : open)
    if (dataset->impl()->connectionName == name) dataset->close();
  {
    QSqlDatabase db = QSqlDatabase::database(name, false);
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
  connections.erase(it);
}

QStringList Engine::Impl::loadFromFile() {
  loaded = true;
  const QString path = Engine::instance().aliasFilePath();
  QStringList problems;
  if (!QFileInfo::exists(path)) {
    try {
      const QString demo = demoDatabasePath();
      if (!QFileInfo::exists(demo)) createDemoDatabase(demo);
      AliasRegistry::writeDefault(path, demo);
    } catch (const EngineError& e) {
      problems << e.entries();
    }
  }
  problems += registry.load(path);
  return problems;
}

Engine& Engine::instance() {
  static Engine engine;
  return engine;
}

Engine::Engine() : impl_(std::make_unique<Impl>()) {}
Engine::~Engine() = default;

QStringList Engine::loadAliases() {
  closeConnections();
  return impl_->loadFromFile();
}

QString Engine::aliasFilePath() const {
  const QByteArray fromEnvironment = qgetenv("KORVEL_ALIASES");
  if (!fromEnvironment.isEmpty()) return QString::fromLocal8Bit(fromEnvironment);
  return QString::fromStdString(configDir()) + QStringLiteral("/aliases.ini");
}

QStringList Engine::aliasNames() const {
  if (!impl_->loaded) impl_->loadFromFile();
  QStringList names;
  for (const auto& alias : impl_->registry.aliases()) names << alias.name;
  return names;
}

QStringList Engine::aliasParams(const QString& alias) const {
  QStringList lines;
  for (const auto& [name, value] : impl_->alias(alias).params) lines << name + u'=' + value;
  return lines;
}

QString Engine::aliasType(const QString& alias) const { return impl_->alias(alias).type(); }

QStringList Engine::tableNames(const QString& alias, bool withExtensions, bool withSystemTables) {
  QSqlDatabase db = connection(alias);
  return driver(alias).tableNames(db, withExtensions, withSystemTables);
}

void Engine::closeConnections() {
  const std::set<Dataset*> open = impl_->datasets;
  for (Dataset* dataset : open) dataset->close();
  impl_->datasets.clear();
  while (!impl_->connections.empty()) impl_->dropConnection(impl_->connections.begin());
}

QSqlDatabase Engine::connection(const QString& aliasName) {
  const Alias& alias = impl_->alias(aliasName);
  const QString key = impl_->connectionKey(alias);
  if (auto it = impl_->connections.find(key); it != impl_->connections.end()) {
    {
      QSqlDatabase db = QSqlDatabase::database(it->second.name, false);
      if (it->second.driver->isAlive(db)) {
        it->second.driver->refresh(db);
        return db;
      }
    }
    // The connection was lost or ended by the server: what reads through it
    // is closed, and a new connection is opened in its place.
    impl_->dropConnection(it);
  }

  std::unique_ptr<Driver> driver = Driver::create(alias.type());
  if (!driver)
    throw EngineError(QStringLiteral("Alias %1 has an unknown TYPE: %2").arg(alias.name, alias.type()));
  // DEMO is the program's own database: re-create it when it went missing.
  if (key == kDemoAlias && alias.type() == u"SQLITE") {
    const QString path = alias.param(QStringLiteral("PATH"));
    if (!path.isEmpty() && !QFileInfo::exists(path)) createDemoDatabase(path);
  }
  const QString name = QStringLiteral("korvel:%1:%2").arg(alias.name).arg(++impl_->connectionSerial);
  QSqlDatabase db = driver->open(alias, name);
  impl_->connections[key] = {name, std::move(driver)};
  return db;
}

Driver& Engine::driver(const QString& aliasName) {
  connection(aliasName);
  return *impl_->connections.at(impl_->connectionKey(impl_->alias(aliasName))).driver;
}

void Engine::registerDataset(Dataset* dataset) { impl_->datasets.insert(dataset); }
void Engine::unregisterDataset(Dataset* dataset) { impl_->datasets.erase(dataset); }

void Engine::releaseReadCursors() {
  for (Dataset* dataset : impl_->datasets) dataset->impl()->releaseCursor();
}

}  // namespace korvel::db
