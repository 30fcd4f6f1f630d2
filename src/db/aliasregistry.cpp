#include "db/aliasregistry.h"

#include "common/codepage.h"
#include "common/inifile.h"
#include "db/engineerror.h"

namespace korvel::db {
namespace {

QString problemMessage(const QString& path, const IniProblem& problem,
                       QString (*decode)(const std::string&)) {
  switch (problem.kind) {
    case IniProblem::Kind::RepeatedSection:
      return QStringLiteral("%1 line %2: alias %3 is defined again (first at line %4); "
                            "this definition is ignored")
          .arg(path)
          .arg(problem.line)
          .arg(decode(problem.name))
          .arg(problem.firstLine);
    case IniProblem::Kind::RepeatedKey:
      return QStringLiteral("%1 line %2: %3 of alias %4 is given again (first at line %5); "
                            "the later value is used")
          .arg(path)
          .arg(problem.line)
          .arg(decode(problem.name), decode(problem.section))
          .arg(problem.firstLine);
    case IniProblem::Kind::Malformed:
      break;
  }
  return QStringLiteral("%1 line %2: not an alias parameter: %3")
      .arg(path)
      .arg(problem.line)
      .arg(decode(problem.text));
}

QString decodeCp932(const std::string& bytes) { return fromCp932(bytes); }
QString decodeUtf8(const std::string& bytes) { return QString::fromStdString(bytes); }

}  // namespace

QString Alias::param(const QString& key) const {
  for (const auto& [name, value] : params)
    if (name.compare(key, Qt::CaseInsensitive) == 0) return value;
  return {};
}

QStringList AliasRegistry::load(const QString& path) {
  aliases_.clear();
  index_.clear();
  IniFile ini;
  std::string error;
  if (!IniFile::load(path.toStdString(), ini, &error))
    return {QStringLiteral("Cannot read the alias file %1").arg(fromCp932(error))};

  const auto decode = ini.hasUtf8Mark() ? decodeUtf8 : decodeCp932;
  QStringList problems;
  for (const auto& problem : ini.problems()) problems << problemMessage(path, problem, decode);
  aliases_.reserve(ini.sections().size());
  index_.reserve(static_cast<qsizetype>(ini.sections().size()));
  for (const auto& section : ini.sections()) {
    Alias alias{decode(section.name), {}};
    alias.params.reserve(section.entries.size());
    for (const auto& entry : section.entries)
      alias.params.emplace_back(decode(entry.key), decode(entry.value));
    if (alias.type().isEmpty())
      problems << QStringLiteral("%1: alias %2 has no TYPE= line").arg(path, alias.name);
    index_.insert(lookupName(alias.name), aliases_.size());
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
  const auto found = index_.constFind(lookupName(name));
  return found == index_.constEnd() ? nullptr : &aliases_[*found];
}

QString AliasRegistry::lookupName(const QString& name) {
  QString folded = name;
  for (QChar& c : folded)
    if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - u'a' + u'A');
  return folded;
}

}  // namespace korvel::db
