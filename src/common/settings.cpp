#include "common/settings.h"

#include "common/inifile.h"
#include "common/paths.h"

using korvel::IniFile;

std::string Qz_IniRead(const std::string& fileName, const std::string& section,
                       const std::string& key, const std::string& defaultValue) {
  IniFile ini;
  IniFile::load(korvel::resolveSettingsPath(fileName), ini);
  return ini.value(section, key).value_or(defaultValue);
}

bool Qz_IniWrite(const std::string& fileName, const std::string& section,
                 const std::string& key, const std::string& value) {
  const std::string path = korvel::resolveSettingsPath(fileName);
  IniFile ini;
  IniFile::load(path, ini);
  ini.setValue(section, key, value);
  return ini.save(path);
}
