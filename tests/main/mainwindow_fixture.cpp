#include "mainwindow_fixture.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

#include "db/engine.h"
#include "main/formmain.h"
#include "main/startup.h"

MainWindowEnv::MainWindowEnv() {
  qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toLocal8Bit());
  qputenv("XDG_DATA_HOME", dir_.filePath("data").toLocal8Bit());
  qputenv("KORVEL_ALIASES", dir_.filePath("aliases.ini").toLocal8Bit());
}

MainWindowEnv::~MainWindowEnv() { stop(); }

QString MainWindowEnv::makeDatabase(const QString& file, const QStringList& tables) {
  const QString name = QUuid::createUuid().toString();
  const QString full = path(file);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
    db.setDatabaseName(full);
    db.open();
    QSqlQuery q(db);
    for (const QString& t : tables)
      q.exec(QStringLiteral("CREATE TABLE \"%1\" (ID INTEGER PRIMARY KEY, NAME TEXT)").arg(t));
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
  return full;
}

void MainWindowEnv::writeAliases(const QStringList& lines) {
  QFile f(path("aliases.ini"));
  f.open(QIODevice::WriteOnly | QIODevice::Truncate);
  f.write(lines.join("\n").toUtf8() + "\n");
}

void MainWindowEnv::writeSettings(const QStringList& lines) {
  QDir().mkpath(path("config/korvel"));
  QFile f(path("config/korvel/FormMain.ini"));
  f.open(QIODevice::WriteOnly | QIODevice::Truncate);
  f.write(lines.join("\r\n").toLatin1() + "\r\n");
}

QString MainWindowEnv::readSettings() const {
  QFile f(dir_.filePath("config/korvel/FormMain.ini"));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromLatin1(f.readAll());
}

bool MainWindowEnv::settingsExist() const {
  return QFile::exists(dir_.filePath("config/korvel/FormMain.ini"));
}

TFormMain* MainWindowEnv::start() {
  korvel::createWindows();
  started_ = true;
  return FormMain;
}

void MainWindowEnv::stop() {
  if (!started_) return;
  korvel::db::Engine::instance().closeConnections();
  korvel::destroyWindows();
  started_ = false;
}
