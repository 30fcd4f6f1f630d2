#pragma once
// A small reader and writer of the INI text format, over bytes (CP932, or
// UTF-8 when the file starts with a UTF-8 byte-order mark).
//
// Reading: lines end in CR LF, LF or CR. Section and key names compare
// without regard to the case of single-byte letters (a double-byte
// character's trail byte is never case-mapped). A section that appears a
// second time is not merged into the first: the first one is the section,
// the repeat is reported and its lines are left alone. Within a section a
// repeated key is reported and the last value wins. Lines that are neither
// blank, comments (";" or "#"), "[section]" nor "key=value" are reported.
// Loading is linear in the size of the file.
//
// Writing: the file is kept as it was read, line by line; setValue() changes
// only the line of the key it sets (or adds one line, or a section at the end),
// so comments, blank lines, reported lines, other sections and the order stay.
// save() replaces the file through a temporary file and a rename, following a
// symbolic link to the file it names (see writeFileAtomically).

#include <list>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/atomicwrite.h"

namespace korvel {

struct IniProblem {
  enum class Kind {
    Malformed,        // not a comment, section or key=value line
    RepeatedSection,  // a section name seen before; the repeat is ignored
    RepeatedKey,      // a key seen before in its section; the last one wins
  };
  Kind kind = Kind::Malformed;
  int line = 0;        // 1-based
  std::string text;    // the line as it stands
  std::string name;    // the repeated section or key name
  std::string section; // RepeatedKey: the section holding the key
  int firstLine = 0;   // repeats: the line of the first occurrence
};

class IniFile {
 public:
  struct Entry {
    std::string key;
    std::string value;
    int line = 0;  // 1-based line it was read from; 0 when set in memory
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;  // each key once, in order of first appearance
    int line = 0;
  };

  IniFile() = default;
  // Moves only: the line positions it keeps point into its own line list.
  IniFile(IniFile&&) = default;
  IniFile& operator=(IniFile&&) = default;
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  static IniFile parse(const std::string& text);
  // Reads a file. False (with *error) when it cannot be read; *missing (if
  // given) tells whether it simply does not exist. out is then empty.
  static bool load(const std::string& path, IniFile& out, std::string* error = nullptr,
                   bool* missing = nullptr);

  std::optional<std::string> value(const std::string& section,
                                   const std::string& key) const;
  void setValue(const std::string& section, const std::string& key,
                const std::string& value);

  const std::vector<Section>& sections() const { return sections_; }
  const std::vector<IniProblem>& problems() const { return problems_; }
  // True when the text began with a UTF-8 byte-order mark: the names and
  // values are then UTF-8, and the mark is written back.
  bool hasUtf8Mark() const { return utf8Mark_; }

  std::string serialize() const;
  // Writes atomically, creating the folder if needed.
  bool save(const std::string& path, std::string* error = nullptr) const;

 private:
  struct Line {
    std::string text;
    std::string end;  // "\r\n", "\n", "\r", or empty for a last line without one
  };
  using LineRef = std::list<Line>::iterator;
  struct SectionLines {
    LineRef header;
    LineRef lastEntry;            // where a new key goes after; header when none
    std::vector<LineRef> entries; // parallel to Section::entries
  };

  struct Reading;
  void readLine(LineRef ref, int lineNo, Reading& reading);
  void readSectionHeader(LineRef ref, const std::string& line, int lineNo, Reading& reading);
  std::string foldedName(const std::string& name) const;
  bool sameName(const std::string& a, const std::string& b) const;
  std::string keyIndexName(size_t section, const std::string& key) const;
  std::optional<size_t> findEntry(size_t section, const std::string& key) const;
  size_t addSection(const std::string& name, LineRef header, int line);
  void addEntry(size_t section, const std::string& key, const std::string& value,
                LineRef where, int line);
  LineRef appendLine(const std::string& text);

  std::list<Line> lines_;
  std::vector<Section> sections_;
  std::vector<SectionLines> sectionLines_;  // parallel to sections_
  std::unordered_map<std::string, size_t> sectionIndex_;  // folded name -> sections_
  // Keys of sections with more than kScannedEntries entries: keyIndexName -> entries.
  static constexpr size_t kScannedEntries = 16;
  std::unordered_map<std::string, size_t> entryIndex_;
  std::vector<IniProblem> problems_;
  std::string newLineEnd_ = "\r\n";  // the file's own line end, for lines added
  bool utf8Mark_ = false;
};

}  // namespace korvel
