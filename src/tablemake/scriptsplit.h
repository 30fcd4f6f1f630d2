#pragma once
// Splitting the lines of an SQL definition script (CP932 bytes, upper-cased
// by the caller): a column line ‹name type[(digits[,decimals])] [constraint][,] [-- comment]›
// and a key line ‹CONSTRAINT name PRIMARY KEY (col1, col2)›. The comment mark
// is the first "--" of a line.

#include <string>
#include <string_view>

namespace korvel {

struct ColumnDefinition {
  std::string name;            // blanks removed, enclosing double quotes removed
  std::string typeWord;        // the type up to its "(", blanks removed
  std::string digits;          // inside the parentheses up to "," (length qualifier BYTE/CHAR dropped)
  std::string decimals;        // after the ",", empty when absent
  std::string constraintText;  // after the type, tabs as blanks
  std::string comment;         // every byte above 32 after the comment mark
  std::string typeText;        // the type and its constraint text as written
};

// A column line: the part before the comment mark is the definition; without
// a mark the whole line is.
ColumnDefinition SplitColumnDefinition(std::string_view line);

// The same for text that holds no comment (a column's code gathered from one
// or more lines). Leading commas are skipped when skipCommas is set.
ColumnDefinition SplitColumnCode(std::string_view code, bool skipCommas = false);

// The comment of a line: every byte above 32 after the comment mark's two
// characters, in order (blanks inside the comment are removed).
std::string CommentText(std::string_view afterMark);

struct ColumnComment {
  std::string name;
  std::string typeText;  // e.g. "NUMBER(10,2) NOT NULL"
  std::string comment;
};

// Name, type text and comment of a column line; a line without a comment mark
// gives three empty texts. Leading commas are skipped ("comma first" lines).
ColumnComment SplitColumnComment(std::string_view line);

struct KeyDefinition {
  std::string keyColumns;      // between the first "(" and the ")" after it, "," as ";", blanks kept
  std::string namePart;        // the constraint's name (the word after CONSTRAINT), never holding a comma
  bool hasColumnList = false;  // false: the line holds no "(" or no ")" after it; both texts empty
};

KeyDefinition SplitKeyDefinition(std::string_view line);

// The key list entry of a key: name part + "," + key columns. A comma in a
// (double-quoted) name is left out, so that the entry's first comma ends the name.
std::string KeyEntry(const KeyDefinition& key);

}  // namespace korvel
