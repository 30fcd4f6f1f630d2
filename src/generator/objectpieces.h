#pragma once
// The pieces of text the generator window produces for one grid row:
// form-definition objects (label, edit box, numeric edit box, data-aware
// text) and field-table source lines. Texts are code page 932 bytes; padded
// widths ("%-10s") count bytes, as everywhere in the program.

#include <string>

namespace korvel::generator {

// Name suffix, position and size of one form-definition object.
struct PiecePlace {
  std::string suffix;
  long long left = 0;
  long long top = 0;
  long long width = 0;
  long long height = 0;
};

// The font lines written for a label or data-aware text that does not use
// its parent's font.
struct FontLines {
  long long height = 0;  // negative: a size in points, as the font reports it
  std::string name;
};

// "object Label<suffix> : TLabel" with the caption; font lines when `font`
// is given. The caption is quoted with inner quotes doubled.
std::string labelPiece(const PiecePlace& place, const std::string& caption,
                       const FontLines* font);
// "object DBText<suffix> : TDBText" bound to the field `dataField`, in the
// same style as the label.
std::string dbTextPiece(const PiecePlace& place, const std::string& dataField,
                        const FontLines* font);
// "object Edit<suffix> : TEdit" with its tab order and text.
std::string editPiece(const PiecePlace& place, long long tabOrder, const std::string& text);
// "object NValEdit<suffix> : TNValEdit" with its tab order.
std::string nvalEditPiece(const PiecePlace& place, long long tabOrder);

// Field-table source lines; `row` is the grid row (written as row - 1).
std::string sourceLine(const std::string& suffix, int row, const std::string& comment);
std::string sourceLineWithId(const std::string& suffix, const std::string& rowText, int row,
                             const std::string& comment);
std::string appendLine(const std::string& rowText, const std::string& className, int row,
                       const std::string& comment);

// The column type constant of an "APPEND用" line for a field class name:
// "CnsOraChar" for strings, "CnsOraDate" for date-times, else "CnsOraNum".
std::string appendTypeConstant(const std::string& className);

}  // namespace korvel::generator
