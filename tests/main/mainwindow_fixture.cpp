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

void MainWindowEnv::execSql(const QString& file, const QStringList& statements) {
  const QString name = QUuid::createUuid().toString();
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
    db.setDatabaseName(path(file));
    db.open();
    QSqlQuery q(db);
    for (const QString& s : statements)
      if (!q.exec(s)) qWarning("setup statement failed: %s", qPrintable(s));
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
}

QVariant MainWindowEnv::queryValue(const QString& file, const QString& sql) {
  const QString name = QUuid::createUuid().toString();
  QVariant value;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
    db.setDatabaseName(path(file));
    db.open();
    QSqlQuery q(db);
    if (q.exec(sql) && q.next()) value = q.value(0);
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
  return value;
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
