#pragma once
// A small reader and writer of the INI text format, over CP932 bytes.
// Section and key names compare without regard to ASCII case, as the Windows
// INI service does. Writes go to a temporary file that replaces the old one,
// so a failed write never leaves a half-written file.

#include <optional>
#include <string>
#include <vector>

namespace korvel {

struct IniProblem {
  int line = 0;  // 1-based
  std::string text;
};

class IniFile {
 public:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };

  // Parses text. Lines that are neither blank, comments (";" or "#"),
  // "[section]" nor "key=value" are kept out and listed in problems().
  static IniFile parse(const std::string& text);
  // Reads a file; a missing file gives an empty IniFile and false.
  static bool load(const std::string& path, IniFile& out, std::string* error = nullptr);

  std::optional<std::string> value(const std::string& section,
                                   const std::string& key) const;
  void setValue(const std::string& section, const std::string& key,
                const std::string& value);

  const std::vector<Section>& sections() const { return sections_; }
  const std::vector<IniProblem>& problems() const { return problems_; }

  std::string serialize() const;
  // Writes atomically, creating the folder if needed.
  bool save(const std::string& path, std::string* error = nullptr) const;

 private:
  Section* findSection(const std::string& name);
  const Section* findSection(const std::string& name) const;

  std::vector<Section> sections_;
  std::vector<IniProblem> problems_;
};

// Writes bytes to path through a temporary file in the same folder and a
// rename, creating missing folders. False (with *error) on any failure.
bool writeFileAtomically(const std::string& path, const std::string& bytes,
                         std::string* error = nullptr);

}  // namespace korvel
