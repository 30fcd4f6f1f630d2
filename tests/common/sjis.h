#pragma once
// Test helper: CP932 bytes from a UTF-8 literal, so tests can be written in
// readable Japanese.

#include <QString>
#include <string>

#include "common/codepage.h"

inline std::string sj(const char* utf8) { return korvel::toCp932(QString::fromUtf8(utf8)); }
