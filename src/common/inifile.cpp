#include "common/inifile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

#include "common/leadbyte.h"

namespace korvel {
namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

std::string trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// Reads the whole file. False with errno set when it cannot be read.
bool readWholeFile(const std::string& path, std::string& out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return false;
  }
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int saved = errno;
      ::close(fd);
      errno = saved;
      return false;
    }
    out.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return true;
}

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The length of the line end starting at text[at] ("\r\n" counts as one).
size_t lineEndLength(const std::string& text, size_t at) {
  return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

}  // namespace

// What the lines read so far make of the next key line.
struct IniFile::Reading {
  enum class Place { NoSection, InSection, InRepeatedSection } place = Place::NoSection;
  size_t section = 0;
};

IniFile IniFile::parse(const std::string& text) {
  IniFile ini;
  size_t pos = 0;
  if (text.compare(0, 3, kUtf8Mark) == 0) {
    ini.utf8Mark_ = true;
    pos = 3;
  }
  bool lineEndSeen = false;
  Reading reading;
  int lineNo = 0;
  while (pos < text.size()) {
    Line line;
    const size_t stop = text.find_first_of("\r\n", pos);
    if (stop == std::string::npos) {
      line.text = text.substr(pos);
      pos = text.size();
    } else {
      const size_t endLength = lineEndLength(text, stop);
      line.text = text.substr(pos, stop - pos);
      line.end = text.substr(stop, endLength);
      pos = stop + endLength;
      if (!lineEndSeen) ini.newLineEnd_ = line.end;
      lineEndSeen = true;
    }
    ini.lines_.push_back(std::move(line));
    ini.readLine(std::prev(ini.lines_.end()), ++lineNo, reading);
  }
  return ini;
}

void IniFile::readLine(LineRef ref, int lineNo, Reading& reading) {
  const std::string line = trim(ref->text);
  if (line.empty() || line[0] == ';' || line[0] == '#') return;
  if (line.front() == '[') {
    readSectionHeader(ref, line, lineNo, reading);
    return;
  }
  // The lines of a repeated section stay as they are; its header was reported.
  if (reading.place == Reading::Place::InRepeatedSection) return;
  const size_t eq = line.find('=');
  if (eq == std::string::npos || eq == 0 || reading.place == Reading::Place::NoSection) {
    problems_.push_back({IniProblem::Kind::Malformed, lineNo, ref->text, {}, {}, 0});
    return;
  }
  const std::string key = trim(line.substr(0, eq));
  const std::string value = trim(line.substr(eq + 1));
  const std::optional<size_t> found = findEntry(reading.section, key);
  if (!found) {
    addEntry(reading.section, key, value, ref, lineNo);
    return;
  }
  Entry& entry = sections_[reading.section].entries[*found];
  problems_.push_back({IniProblem::Kind::RepeatedKey, lineNo, ref->text, key,
                       sections_[reading.section].name, entry.line});
  entry.value = value;  // the last one wins; a later setValue rewrites this line
  SectionLines& lines = sectionLines_[reading.section];
  lines.entries[*found] = ref;
  lines.lastEntry = ref;
}

void IniFile::readSectionHeader(LineRef ref, const std::string& line, int lineNo,
                                Reading& reading) {
  if (line.back() != ']' || line.size() < 3) {
    problems_.push_back({IniProblem::Kind::Malformed, lineNo, ref->text, {}, {}, 0});
    reading.place = Reading::Place::NoSection;
    return;
  }
  const std::string name = trim(line.substr(1, line.size() - 2));
  if (const auto found = sectionIndex_.find(foldedName(name)); found != sectionIndex_.end()) {
    problems_.push_back({IniProblem::Kind::RepeatedSection, lineNo, ref->text, name, {},
                         sections_[found->second].line});
    reading.place = Reading::Place::InRepeatedSection;
    return;
  }
  reading.section = addSection(name, ref, lineNo);
  reading.place = Reading::Place::InSection;
}

bool IniFile::load(const std::string& path, IniFile& out, std::string* error, bool* missing) {
  out = IniFile();
  if (missing) *missing = false;
  std::string content;
  if (!readWholeFile(path, content)) {
    const int code = errno;
    if (missing) *missing = code == ENOENT;
    if (error) *error = path + ": " + std::strerror(code);
    return false;
  }
  out = parse(content);
  return true;
}

std::string IniFile::foldedName(const std::string& name) const {
  std::string folded = name;
  for (size_t i = 0; i < folded.size(); ++i) {
    // A CP932 trail byte may look like an ASCII letter; it is part of its
    // double-byte character and never case-mapped. UTF-8 has no such bytes.
    if (!utf8Mark_ && isLeadByte(folded[i])) {
      ++i;
      continue;
    }
    folded[i] = upperAscii(folded[i]);
  }
  return folded;
}

bool IniFile::sameName(const std::string& a, const std::string& b) const {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!utf8Mark_ && isLeadByte(a[i])) {
      if (a[i] != b[i] || (i + 1 < a.size() && a[i + 1] != b[i + 1])) return false;
      ++i;
      continue;
    }
    if (upperAscii(a[i]) != upperAscii(b[i])) return false;
  }
  return true;
}

std::string IniFile::keyIndexName(size_t section, const std::string& key) const {
  // Line ends never occur inside a name, so "\n" separates the two parts.
  return std::to_string(section) + '\n' + foldedName(key);
}

std::optional<size_t> IniFile::findEntry(size_t section, const std::string& key) const {
  const std::vector<Entry>& entries = sections_[section].entries;
  if (entries.size() > kScannedEntries) {
    const auto found = entryIndex_.find(keyIndexName(section, key));
    if (found == entryIndex_.end()) return std::nullopt;
    return found->second;
  }
  for (size_t i = 0; i < entries.size(); ++i)
    if (sameName(entries[i].key, key)) return i;
  return std::nullopt;
}

size_t IniFile::addSection(const std::string& name, LineRef header, int line) {
  sections_.push_back({name, {}, line});
  sectionLines_.push_back({header, header, {}});
  sectionIndex_.emplace(foldedName(name), sections_.size() - 1);
  return sections_.size() - 1;
}

void IniFile::addEntry(size_t section, const std::string& key, const std::string& value,
                       LineRef where, int line) {
  std::vector<Entry>& entries = sections_[section].entries;
  entries.push_back({key, value, line});
  SectionLines& lines = sectionLines_[section];
  lines.entries.push_back(where);
  lines.lastEntry = where;
  // Small sections are searched entry by entry; a large one gets an index
  // so that reading it stays linear.
  if (entries.size() == kScannedEntries + 1)
    for (size_t i = 0; i < entries.size(); ++i)
      entryIndex_.emplace(keyIndexName(section, entries[i].key), i);
  else if (entries.size() > kScannedEntries + 1)
    entryIndex_.emplace(keyIndexName(section, key), entries.size() - 1);
}

IniFile::LineRef IniFile::appendLine(const std::string& text) {
  lines_.push_back({text, newLineEnd_});
  return std::prev(lines_.end());
}

std::optional<std::string> IniFile::value(const std::string& section,
                                          const std::string& key) const {
  const auto s = sectionIndex_.find(foldedName(section));
  if (s == sectionIndex_.end()) return std::nullopt;
  const std::optional<size_t> e = findEntry(s->second, key);
  if (!e) return std::nullopt;
  return sections_[s->second].entries[*e].value;
}

void IniFile::setValue(const std::string& section, const std::string& key,
                       const std::string& value) {
  size_t index;
  if (const auto s = sectionIndex_.find(foldedName(section)); s != sectionIndex_.end()) {
    index = s->second;
  } else {
    // A new section goes at the end, set apart by a blank line.
    if (!lines_.empty() && !trim(lines_.back().text).empty()) appendLine("");
    index = addSection(section, appendLine("[" + section + "]"), 0);
  }
  if (const std::optional<size_t> e = findEntry(index, key)) {
    sections_[index].entries[*e].value = value;
    // Keep the line's own spelling and spacing of "key = ", change the value.
    Line& line = *sectionLines_[index].entries[*e];
    const size_t valueStart = line.text.find_first_not_of(" \t", line.text.find('=') + 1);
    line.text = line.text.substr(0, std::min(valueStart, line.text.size())) + value;
    return;
  }
  // A new key goes after the section's last key, before trailing comments
  // and the blank line that sets the next section apart.
  const LineRef after = sectionLines_[index].lastEntry;
  const LineRef where = lines_.insert(std::next(after), Line{key + "=" + value, newLineEnd_});
  addEntry(index, key, value, where, 0);
}

std::string IniFile::serialize() const {
  std::string out;
  if (utf8Mark_) out = kUtf8Mark;
  for (auto it = lines_.begin(); it != lines_.end(); ++it) {
    out += it->text;
    // A last line read without a line end gets one only when lines follow it.
    if (!it->end.empty())
      out += it->end;
    else if (std::next(it) != lines_.end())
      out += newLineEnd_;
  }
  return out;
}

bool IniFile::save(const std::string& path, std::string* error) const {
  return writeFileAtomically(path, serialize(), error);
}

}  // namespace korvel
