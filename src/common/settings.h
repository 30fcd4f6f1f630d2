#pragma once
// Reading and writing single values of an INI settings file. Each call opens
// the file, does its one read or write and closes it again; nothing is cached.
// A file name without a folder lies in the user's configuration folder.
//
// Values, sections and keys are CP932. A file that begins with a UTF-8
// byte-order mark is read and written as UTF-8; a value read from it that
// CP932 cannot hold gives the default.
//
// Writing changes only the line of the key written (or adds it): comments,
// blank lines and every other line stay as they are. The file is replaced
// through a temporary file, following a symbolic link to its target.

#include <string>

std::string Qz_IniRead(const std::string& fileName, const std::string& section,
                       const std::string& key, const std::string& defaultValue);
// True when written. False when the file cannot be read (it is then left
// alone) or written; the caller decides what to tell the user.
bool Qz_IniWrite(const std::string& fileName, const std::string& section,
                 const std::string& key, const std::string& value);
