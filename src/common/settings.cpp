#include "common/settings.h"

#include <QString>

#include "common/codepage.h"
#include "common/inifile.h"
#include "common/paths.h"

using korvel::IniFile;

namespace {

// The settings routines speak CP932. A settings file that begins with a UTF-8
// byte-order mark holds UTF-8 text: convert at its edge.
std::string toFileText(const IniFile& ini, const std::string& cp932) {
  if (!ini.hasUtf8Mark()) return cp932;
  return korvel::fromCp932(cp932).toStdString();
}

}  // namespace

std::string Qz_IniRead(const std::string& fileName, const std::string& section,
                       const std::string& key, const std::string& defaultValue) {
  IniFile ini;
  IniFile::load(korvel::resolveSettingsPath(fileName), ini);
  const std::optional<std::string> value =
      ini.value(toFileText(ini, section), toFileText(ini, key));
  if (!value) return defaultValue;
  if (!ini.hasUtf8Mark()) return *value;
  std::string cp932;
  if (!korvel::tryToCp932(QString::fromStdString(*value), cp932)) return defaultValue;
  return cp932;
}

bool Qz_IniWrite(const std::string& fileName, const std::string& section,
                 const std::string& key, const std::string& value) {
  const std::string path = korvel::resolveSettingsPath(fileName);
  IniFile ini;
  bool missing = false;
  // A settings file that exists but cannot be read is not replaced by one
  // holding this value alone.
  if (!IniFile::load(path, ini, nullptr, &missing) && !missing) return false;
  ini.setValue(toFileText(ini, section), toFileText(ini, key), toFileText(ini, value));
  return ini.save(path);
}
