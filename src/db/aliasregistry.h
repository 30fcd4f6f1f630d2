#pragma once
// The aliases of the alias file: one INI section per alias, its NAME=VALUE
// parameters kept in file order. Passwords are never part of an alias.

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace korvel::db {

struct Alias {
  QString name;
  std::vector<std::pair<QString, QString>> params;  // in file order

  QString param(const QString& key) const;  // case-insensitive; empty if absent
  QString type() const { return param(QStringLiteral("TYPE")).toUpper(); }
};

class AliasRegistry {
 public:
  // Reads `path` (CP932). Returns messages naming each line that could not be
  // read; the aliases that could be read are kept.
  QStringList load(const QString& path);
  // Writes the alias file holding DEMO (a SQLite database at demoPath),
  // atomically. EngineError when it cannot be written.
  static void writeDefault(const QString& path, const QString& demoPath);

  const std::vector<Alias>& aliases() const { return aliases_; }
  const Alias* find(const QString& name) const;  // case-insensitive

 private:
  std::vector<Alias> aliases_;
};

}  // namespace korvel::db
