#include "generator/objectpieces.h"

#include "common/formats.h"
#include "common/strings.h"

namespace korvel::generator {
namespace {

// Position and size lines shared by every form-definition object.
std::string placeLines(const PiecePlace& place) {
  return Format("  Left = %d\r\n  Top = %d\r\n  Width = %d\r\n  Height = %d\r\n",
                {place.left, place.top, place.width, place.height});
}

std::string fontLines(const FontLines* font) {
  if (!font) return {};
  return Format(
      "  Font.Charset = SHIFTJIS_CHARSET\r\n  Font.Color = clWindowText\r\n"
      "  Font.Height = %d\r\n  Font.Name = %s\r\n  Font.Style = []\r\n"
      "  ParentFont = False\r\n",
      {font->height, Qz_QuoteSgl(font->name)});
}

const char kObjectEnd[] = "end\r\n\r\n";

}  // namespace

// Texts inside form-definition strings are quoted with inner quotes doubled,
// so a caption such as O'Neil still gives a readable definition.
std::string labelPiece(const PiecePlace& place, const std::string& caption,
                       const FontLines* font) {
  return Format("object Label%s : TLabel\r\n", {place.suffix}) + placeLines(place) +
         Format("  Caption = %s\r\n", {Qz_QuoteSgl(caption)}) + fontLines(font) + kObjectEnd;
}

std::string dbTextPiece(const PiecePlace& place, const std::string& dataField,
                        const FontLines* font) {
  return Format("object DBText%s : TDBText\r\n", {place.suffix}) + placeLines(place) +
         Format("  DataField = %s\r\n", {Qz_QuoteSgl(dataField)}) + fontLines(font) +
         kObjectEnd;
}

std::string editPiece(const PiecePlace& place, long long tabOrder, const std::string& text) {
  return Format("  object Edit%s : TEdit\r\n", {place.suffix}) + placeLines(place) +
         Format("  TabOrder = %d\r\n  Text = %s\r\n", {tabOrder, Qz_QuoteSgl(text)}) +
         kObjectEnd;
}

std::string nvalEditPiece(const PiecePlace& place, long long tabOrder) {
  return Format("  object NValEdit%s : TNValEdit\r\n", {place.suffix}) + placeLines(place) +
         Format("  TabOrder = %d\r\n  ZeroDisplay = True\r\n", {tabOrder}) + kObjectEnd;
}

std::string sourceLine(const std::string& suffix, int row, const std::string& comment) {
  return Format("( FNm:%s;         ActP:-1; Act:0; ), // %d : %s\r\n",
                {Qz_QuoteSgl("Edit" + suffix), row - 1, comment});
}

std::string sourceLineWithId(const std::string& suffix, const std::string& rowText, int row,
                             const std::string& comment) {
  return Format("   ( FNm:%s;         ActP:-1; Act:0; FFNm:%s ), // %d : %s\r\n",
                {Qz_QuoteSgl("Edit" + suffix), Qz_QuoteSgl(rowText), row - 1, comment});
}

std::string appendLine(const std::string& rowText, const std::string& className, int row,
                       const std::string& comment) {
  return Format("   ( %-10s, %-10s ), // %-3d %s\r\n",
                {Qz_QuoteSgl(rowText), appendTypeConstant(className), row - 1, comment});
}

std::string appendTypeConstant(const std::string& className) {
  if (className == "TStringField") return "CnsOraChar";
  if (className == "TDateTimeField") return "CnsOraDate";
  return "CnsOraNum";
}

}  // namespace korvel::generator
