#pragma once
// Table conversion parameter files (.prm): code page 932 text read line by
// line, every line upper-cased (single-byte letters only) before it is
// looked at. Two kinds of line count, all others are passed over:
//
//   TITLE text                  the table comment: the text from position 6
//                               with every byte below 33 removed
//   FLD n,a,b,n,c,d,NAME,text   a field line: eight comma-separated items
//                               from position 5; item 7 names a field and
//                               item 8 is its comment

#include <string>
#include <string_view>

namespace korvel::tableinfo {

struct ParamLineItems {
  int item1 = 0;  // integer; a non-numeric item reads as 0
  std::string item2;
  std::string item3;
  int item4 = 0;  // integer; a non-numeric item reads as 0
  std::string item5;
  std::string item6;
  std::string fieldName;  // item 7
  std::string comment;    // item 8
};

// The eight items of a field line (the whole line, "FLD" included).
ParamLineItems SplitParamLine(std::string_view line);

struct ParamLine {
  enum Kind { Other, Title, Field } kind = Other;
  std::string tableComment;  // Title
  ParamLineItems items;      // Field
};

// What a line read from the file says (the line as read, not yet upper-cased).
ParamLine ReadParamLine(std::string_view line);

}  // namespace korvel::tableinfo
