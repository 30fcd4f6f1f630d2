#include "common/inifile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace korvel {
namespace {

bool equalsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::string trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

}  // namespace

IniFile IniFile::parse(const std::string& text) {
  IniFile ini;
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  Section* current = nullptr;
  while (std::getline(in, raw)) {
    ++lineNo;
    const std::string line = trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) {
        ini.problems_.push_back({lineNo, raw});
        current = nullptr;
        continue;
      }
      const std::string name = trim(line.substr(1, line.size() - 2));
      current = ini.findSection(name);
      if (!current) {
        ini.sections_.push_back({name, {}});
        current = &ini.sections_.back();
      }
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0 || !current) {
      ini.problems_.push_back({lineNo, raw});
      continue;
    }
    const std::string key = trim(line.substr(0, eq));
    const std::string value = trim(line.substr(eq + 1));
    bool replaced = false;
    for (auto& entry : current->entries)
      if (equalsNoCase(entry.key, key)) {
        entry.value = value;  // a repeated key: the last one wins
        replaced = true;
      }
    if (!replaced) current->entries.push_back({key, value});
  }
  return ini;
}

bool IniFile::load(const std::string& path, IniFile& out, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    out = IniFile();
    if (error) *error = path + ": " + std::strerror(errno);
    return false;
  }
  std::ostringstream content;
  content << file.rdbuf();
  out = parse(content.str());
  return true;
}

IniFile::Section* IniFile::findSection(const std::string& name) {
  for (auto& section : sections_)
    if (equalsNoCase(section.name, name)) return &section;
  return nullptr;
}

const IniFile::Section* IniFile::findSection(const std::string& name) const {
  for (const auto& section : sections_)
    if (equalsNoCase(section.name, name)) return &section;
  return nullptr;
}

std::optional<std::string> IniFile::value(const std::string& section,
                                          const std::string& key) const {
  const Section* s = findSection(section);
  if (!s) return std::nullopt;
  for (const auto& entry : s->entries)
    if (equalsNoCase(entry.key, key)) return entry.value;
  return std::nullopt;
}

void IniFile::setValue(const std::string& section, const std::string& key,
                       const std::string& value) {
  Section* s = findSection(section);
  if (!s) {
    sections_.push_back({section, {}});
    s = &sections_.back();
  }
  for (auto& entry : s->entries)
    if (equalsNoCase(entry.key, key)) {
      entry.value = value;
      return;
    }
  s->entries.push_back({key, value});
}

std::string IniFile::serialize() const {
  std::string out;
  for (size_t i = 0; i < sections_.size(); ++i) {
    if (i > 0) out += "\r\n";
    out += "[" + sections_[i].name + "]\r\n";
    for (const auto& entry : sections_[i].entries)
      out += entry.key + "=" + entry.value + "\r\n";
  }
  return out;
}

bool IniFile::save(const std::string& path, std::string* error) const {
  return writeFileAtomically(path, serialize(), error);
}

bool writeFileAtomically(const std::string& path, const std::string& bytes,
                         std::string* error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path target(path);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  const std::string temp = path + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) {
      if (error) *error = temp + ": " + std::strerror(errno);
      return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      if (error) *error = temp + ": write failed";
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, target, ec);
  if (ec) {
    if (error) *error = path + ": " + ec.message();
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace korvel
