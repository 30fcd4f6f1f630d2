#pragma once
// Reading and writing single values of an INI settings file. Each call opens
// the file, does its one read or write and closes it again; nothing is cached.
// A file name without a folder lies in the user's configuration folder.

#include <string>

std::string Qz_IniRead(const std::string& fileName, const std::string& section,
                       const std::string& key, const std::string& defaultValue);
// True when written. (A failed write reports false; the caller decides.)
bool Qz_IniWrite(const std::string& fileName, const std::string& section,
                 const std::string& key, const std::string& value);
