#pragma once
// Where the program keeps its files. Settings and the alias file live in the
// user's configuration folder, the demo database in the data folder.

#include <string>

namespace korvel {

// $XDG_CONFIG_HOME/korvel, else $HOME/.config/korvel (not created here).
std::string configDir();
// $XDG_DATA_HOME/korvel, else $HOME/.local/share/korvel (not created here).
std::string dataDir();
// A bare file name (no directory) resolves into configDir(); a name with a
// directory is used as it stands.
std::string resolveSettingsPath(const std::string& fileName);

}  // namespace korvel
