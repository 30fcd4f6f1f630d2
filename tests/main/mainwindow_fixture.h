#pragma once
// A main window over SQLite aliases in a temporary folder, with the
// configuration folder redirected there and a scripted prompt.

#include <QStringList>
#include <QVariant>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "ui/scriptedprompt.h"

class TFormMain;

class MainWindowEnv {
 public:
  MainWindowEnv();
  ~MainWindowEnv();

  QString path(const QString& name) const { return dir_.filePath(name); }
  // Creates a SQLite database holding the given (quoted) table names.
  QString makeDatabase(const QString& file, const QStringList& tables);
  // Writes the alias file: lines as given.
  void writeAliases(const QStringList& lines);
  // Runs statements on a SQLite file (created when missing).
  void execSql(const QString& file, const QStringList& statements);
  // A single-value query on a SQLite file.
  QVariant queryValue(const QString& file, const QString& sql);
  void writeSettings(const QStringList& lines);
  QString readSettings() const;
  bool settingsExist() const;

  // Creates the windows (main window first) as the program does.
  TFormMain* start();
  void stop();

  korvel::ScriptedPrompt prompt;

 private:
  QTemporaryDir dir_;
  bool started_ = false;
};
