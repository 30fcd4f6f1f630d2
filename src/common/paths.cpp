#include "common/paths.h"

#include <cstdlib>

namespace korvel {
namespace {

std::string xdgDir(const char* variable, const char* fallbackUnderHome) {
  const char* value = std::getenv(variable);
  std::string base;
  if (value && *value) {
    base = value;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : ".") + "/" + fallbackUnderHome;
  }
  return base + "/korvel";
}

}  // namespace

std::string configDir() { return xdgDir("XDG_CONFIG_HOME", ".config"); }

std::string dataDir() { return xdgDir("XDG_DATA_HOME", ".local/share"); }

std::string resolveSettingsPath(const std::string& fileName) {
  if (fileName.find('/') != std::string::npos) return fileName;
  return configDir() + "/" + fileName;
}

}  // namespace korvel
