#pragma once
// Generation of the generator window's text from its column grid: for every
// row whose row text (field name or comment) is not empty, one piece of the
// chosen kind, named by a running number or by the field name and placed one
// under another (a second column once the top passes 600 pixels).

#include <QString>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvel::generator {

// The choices of "作成するオブジェクト", in their order.
enum class ObjectKind { Label, Edit, LabelEdit, NValEdit, DBText, Source, SourceWithId, Append };

// One row of the column grid.
struct ColumnRow {
  int row = 0;        // grid row number (data rows start at 1)
  QString fieldName;  // column 1
  QString className;  // column 2, e.g. "TStringField"
  QString comment;    // column 7
};

struct Extent {
  int width = 0;
  int height = 0;
};

// Measures texts in the chosen font (the window's hidden measuring controls;
// tests give fixed sizes).
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual Extent label(const QString& text) = 0;     // a label sized to its caption
  virtual Extent edit(const QString& text) = 0;      // the 100-pixel edit box
  virtual Extent numericEdit() = 0;                  // the 97-pixel edit box
};

struct GenerationSettings {
  ObjectKind kind = ObjectKind::Label;
  bool textFromComment = false;  // "作成対象": false field name, true comment
  bool nameFromField = false;    // "名前のつけ方": false running number, true field name
  long long start = 0;           // the first object gets start + 1
  long long correction = 0;      // extra vertical gap per object
  long long left = 0;
  bool parentFont = false;       // no font lines
  long long fontHeight = 0;      // written into font lines
  QString fontName;
};

// A text that code page 932 cannot hold; what() is UTF-8 for an error box.
class GenerationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The row text the settings choose: the field name or the comment.
QString rowText(const ColumnRow& row, bool textFromComment);

// The widest label among the rows' non-empty row texts (the label column of
// "Label + Edit").
int widestLabel(const std::vector<ColumnRow>& rows, bool textFromComment, TextMeasure& measure);

// The text for `rows` (code page 932 bytes). labelColumnWidth is where the
// edit boxes of "Label + Edit" start, right of the left position. Raises
// GenerationError naming the row when a text cannot be written in code page
// 932; nothing is produced then.
std::string generateObjects(const std::vector<ColumnRow>& rows, const GenerationSettings& settings,
                            TextMeasure& measure, int labelColumnWidth);

// One block of "作成範囲指定": `count` rows from `current`, cut at lastRow.
// nextRow is where the following block starts: the row after this block, or
// row 1 once the block has reached the last row, so that repeated use walks
// the grid without producing a row twice.
struct RowBlock {
  int first = 1;
  int last = 1;
  int nextRow = 1;
};
RowBlock rowBlock(int current, int count, int lastRow);

// Numbers typed into the settings: a whole number read from free text as an
// SQL number literal (a fraction is cut off), and the digits of a text. A
// text that is no number, or one beyond 32 bits, counts as 0.
long long numberFromText(const QString& text);
long long numberFromDigits(const QString& text);

}  // namespace korvel::generator
