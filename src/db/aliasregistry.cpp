#include "db/aliasregistry.h"

#include "common/codepage.h"
#include "common/inifile.h"
#include "db/engineerror.h"

namespace korvel::db {

QString Alias::param(const QString& key) const {
  for (const auto& [name, value] : params)
    if (name.compare(key, Qt::CaseInsensitive) == 0) return value;
  return {};
}

QStringList AliasRegistry::load(const QString& path) {
  aliases_.clear();
  IniFile ini;
  std::string error;
  if (!IniFile::load(path.toStdString(), ini, &error))
    return {QStringLiteral("Cannot read the alias file %1").arg(fromCp932(error))};

  QStringList problems;
  for (const auto& problem : ini.problems())
    problems << QStringLiteral("%1 line %2: not an alias parameter: %3")
                    .arg(path)
                    .arg(problem.line)
                    .arg(fromCp932(problem.text));
  for (const auto& section : ini.sections()) {
    Alias alias{fromCp932(section.name), {}};
    for (const auto& entry : section.entries)
      alias.params.emplace_back(fromCp932(entry.key), fromCp932(entry.value));
    if (alias.type().isEmpty())
      problems << QStringLiteral("%1: alias %2 has no TYPE= line").arg(path, alias.name);
    aliases_.push_back(std::move(alias));
  }
  return problems;
}

void AliasRegistry::writeDefault(const QString& path, const QString& demoPath) {
  std::string demoPathBytes;
  if (!tryToCp932(demoPath, demoPathBytes))
    throw EngineError(QStringLiteral("The DEMO database path cannot be written to the alias file: %1").arg(demoPath));
  IniFile ini;
  ini.setValue("DEMO", "TYPE", "SQLITE");
  ini.setValue("DEMO", "PATH", demoPathBytes);
  std::string error;
  if (!ini.save(path.toStdString(), &error))
    throw EngineError(QStringLiteral("Cannot write the alias file %1: %2").arg(path, fromCp932(error)));
}

const Alias* AliasRegistry::find(const QString& name) const {
  for (const auto& alias : aliases_)
    if (alias.name.compare(name, Qt::CaseInsensitive) == 0) return &alias;
  return nullptr;
}

}  // namespace korvel::db
