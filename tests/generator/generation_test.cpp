#include <gtest/gtest.h>

#include <QString>
#include <set>
#include <string>
#include <vector>

#include "common/cp932text.h"
#include "generator/generation.h"

using namespace korvel::generator;
using korvel::cp932Text;

namespace {

// Fixed sizes: a label is 7 pixels per character and 17 high, the edit
// boxes 21 high.
class FixedMeasure final : public TextMeasure {
 public:
  Extent label(const QString& text) override { return {7 * int(text.size()), 17}; }
  Extent edit(const QString&) override { return {100, 21}; }
  Extent numericEdit() override { return {97, 21}; }
};

ColumnRow row(int n, const char* name, const char* comment = "", const char* type = "") {
  return {n, QString::fromUtf8(name), QString::fromUtf8(type), QString::fromUtf8(comment)};
}

GenerationSettings settings(ObjectKind kind) {
  GenerationSettings s;
  s.kind = kind;
  s.start = 100;
  s.correction = 3;
  s.left = 8;
  s.parentFont = true;
  return s;
}

std::vector<std::string> pieces(const std::string& text) {
  std::vector<std::string> out;
  const std::string end = "end\r\n\r\n";
  for (size_t from = 0, at; (at = text.find(end, from)) != std::string::npos; from = at + end.size())
    out.push_back(text.substr(from, at + end.size() - from));
  return out;
}

std::string generate(const std::vector<ColumnRow>& rows, const GenerationSettings& s,
                     int labelColumnWidth = 0) {
  FixedMeasure measure;
  return generateObjects(rows, s, measure, labelColumnWidth);
}

}  // namespace

TEST(Generation, LabelsAreNumberedFromTheStartSkippingEmptyRowsAndStackedInTwoColumns) {
  std::vector<ColumnRow> rows = {row(1, "EMPNO"), row(2, ""), row(3, "ENAME")};
  for (int n = 4; n <= 32; ++n) rows.push_back(row(n, "F"));
  const std::vector<std::string> out = pieces(generate(rows, settings(ObjectKind::Label)));
  ASSERT_EQ(out.size(), 31u);
  EXPECT_EQ(out[0],
            "object Label101 : TLabel\r\n  Left = 8\r\n  Top = 20\r\n  Width = 35\r\n"
            "  Height = 17\r\n  Caption = 'EMPNO'\r\nend\r\n\r\n");
  EXPECT_NE(out[1].find("object Label102 : TLabel\r\n  Left = 8\r\n  Top = 40\r\n"), std::string::npos);
  EXPECT_NE(out[2].find("  Top = 60\r\n"), std::string::npos);
  // The 30th is at 600, still in the first column; the 31st (620) moves.
  EXPECT_NE(out[29].find("  Left = 8\r\n  Top = 600\r\n"), std::string::npos);
  EXPECT_NE(out[30].find("object Label131 : TLabel\r\n  Left = 108\r\n  Top = 20\r\n"),
            std::string::npos);
}

TEST(Generation, LabelWithItsOwnFontCarriesTheFontLinesAndQuotesTexts) {
  GenerationSettings s = settings(ObjectKind::Label);
  s.parentFont = false;
  s.fontHeight = -15;
  s.fontName = QStringLiteral("ＭＳ ゴシック");
  EXPECT_EQ(generate({row(1, "O'Neil")}, s),
            cp932Text("object Label101 : TLabel\r\n  Left = 8\r\n  Top = 20\r\n  Width = 42\r\n"
                      "  Height = 17\r\n  Caption = 'O''Neil'\r\n"
                      "  Font.Charset = SHIFTJIS_CHARSET\r\n  Font.Color = clWindowText\r\n"
                      "  Font.Height = -15\r\n  Font.Name = 'ＭＳ ゴシック'\r\n  Font.Style = []\r\n"
                      "  ParentFont = False\r\nend\r\n\r\n"));
}

TEST(Generation, EditNumericEditAndDataTextPieces) {
  EXPECT_EQ(generate({row(1, "EMPNO")}, settings(ObjectKind::Edit)),
            "  object Edit101 : TEdit\r\n  Left = 8\r\n  Top = 24\r\n  Width = 100\r\n"
            "  Height = 21\r\n  TabOrder = 1\r\n  Text = 'EMPNO'\r\nend\r\n\r\n");
  // Numeric edit boxes: k * h + correction.
  const auto numeric = pieces(generate({row(1, "A"), row(2, "B")}, settings(ObjectKind::NValEdit)));
  ASSERT_EQ(numeric.size(), 2u);
  EXPECT_EQ(numeric[1],
            "  object NValEdit102 : TNValEdit\r\n  Left = 8\r\n  Top = 45\r\n  Width = 97\r\n"
            "  Height = 21\r\n  TabOrder = 2\r\n  ZeroDisplay = True\r\nend\r\n\r\n");
  // The data-aware text shows the comment but is bound to the field name.
  GenerationSettings s = settings(ObjectKind::DBText);
  s.textFromComment = true;
  EXPECT_EQ(generate({row(1, "EMPNO", "社員番号")}, s),
            cp932Text("object DBText101 : TDBText\r\n  Left = 8\r\n  Top = 20\r\n  Width = 28\r\n"
                      "  Height = 17\r\n  DataField = 'EMPNO'\r\nend\r\n\r\n"));
}

TEST(Generation, LabelAndEditShareTheTallerHeightAndTheEditsStartRightOfTheWidestLabel) {
  const auto out = pieces(generate({row(1, "EMPNO"), row(2, "X")}, settings(ObjectKind::LabelEdit), 63));
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[2],
            "object Label102 : TLabel\r\n  Left = 8\r\n  Top = 48\r\n  Width = 7\r\n"
            "  Height = 21\r\n  Caption = 'X'\r\nend\r\n\r\n");
  EXPECT_EQ(out[3],
            "  object Edit102 : TEdit\r\n  Left = 71\r\n  Top = 48\r\n  Width = 100\r\n"
            "  Height = 21\r\n  TabOrder = 2\r\n  Text = 'X'\r\nend\r\n\r\n");
  FixedMeasure measure;
  EXPECT_EQ(widestLabel({row(1, "EMPNO"), row(2, ""), row(3, "社員番号", "")}, false, measure), 35);
  EXPECT_EQ(widestLabel({row(1, "A", "社員番号")}, true, measure), 28);
}

TEST(Generation, SourceLinesByteForByte) {
  const std::vector<ColumnRow> rows = {row(1, "EMPNO", "社員番号", "TIntegerField"), row(2, ""),
                                       row(3, "ENAME", "社員名", "TStringField")};
  EXPECT_EQ(generate(rows, settings(ObjectKind::Source)),
            cp932Text("( FNm:'Edit101';         ActP:-1; Act:0; ), // 0 : 社員番号\r\n"
                      "( FNm:'Edit102';         ActP:-1; Act:0; ), // 2 : 社員名\r\n"));
  GenerationSettings named = settings(ObjectKind::SourceWithId);
  named.nameFromField = true;
  EXPECT_EQ(generate({row(1, "EMP_NO", "社員番号"), row(2, "sHAIN名", "x")}, named),
            cp932Text("   ( FNm:'EditEmp_no';         ActP:-1; Act:0; FFNm:'EMP_NO' ), // 0 : 社員番号\r\n"
                      "   ( FNm:'EditShain名';         ActP:-1; Act:0; FFNm:'sHAIN名' ), // 1 : x\r\n"));
}

TEST(Generation, AppendLinesPadByCodePageBytes) {
  const std::vector<ColumnRow> rows = {
      row(1, "EMPNO", "社員番号", "TIntegerField"), row(2, "社員", "名前", "TStringField"),
      row(3, "HIRED", "入社", "TDateTimeField"), row(4, "BORN", "", "TDateField")};
  EXPECT_EQ(generate(rows, settings(ObjectKind::Append)),
            cp932Text("   ( 'EMPNO'   , CnsOraNum  ), // 0   社員番号\r\n"
                      "   ( '社員'    , CnsOraChar ), // 1   名前\r\n"
                      "   ( 'HIRED'   , CnsOraDate ), // 2   入社\r\n"
                      "   ( 'BORN'    , CnsOraNum  ), // 3   \r\n"));
}

TEST(Generation, NamesFromJapaneseFieldNamesAreLeftAsTheyAre) {
  GenerationSettings s = settings(ObjectKind::Label);
  s.nameFromField = true;
  const auto out = pieces(generate({row(1, "社員番号"), row(2, "ｼｬｲﾝ"), row(3, "eMP名")}, s));
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].rfind(cp932Text("object Label社員番号 : TLabel"), 0), 0u);
  EXPECT_EQ(out[1].rfind(cp932Text("object Labelｼｬｲﾝ : TLabel"), 0), 0u);
  EXPECT_EQ(out[2].rfind(cp932Text("object LabelEmp名 : TLabel"), 0), 0u);
}

TEST(Generation, TextOutsideTheCodePageStopsTheGenerationNamingTheRow) {
  try {
    generate({row(1, "A"), row(2, "B\xF0\x9F\x99\x82")}, settings(ObjectKind::Label));
    FAIL() << "no error";
  } catch (const GenerationError& e) {
    EXPECT_NE(QString::fromUtf8(e.what()).indexOf(QStringLiteral("2行目")), -1) << e.what();
  }
}

TEST(Generation, BlocksWalkTheGridWithoutRepeatingARow) {
  for (int count : {1, 24, 25, 33, 98, 99, 150}) {
    std::multiset<int> seen;
    int current = 1;
    do {
      const RowBlock b = rowBlock(current, count, 99);
      for (int r = b.first; r <= b.last; ++r) seen.insert(r);
      current = b.nextRow;
    } while (current != 1);
    EXPECT_EQ(seen.size(), 99u) << count;
    EXPECT_EQ(std::set<int>(seen.begin(), seen.end()).size(), 99u) << count;
  }
  EXPECT_EQ(rowBlock(74, 25, 99).nextRow, 99);  // r + n reaches the last row
  EXPECT_EQ(rowBlock(99, 25, 99).last, 99);
  EXPECT_EQ(rowBlock(99, 1, 99).nextRow, 1);
  EXPECT_EQ(rowBlock(5, 0, 99).last, 5);  // no count: one row
}

TEST(Generation, NumbersTypedIntoTheSettings) {
  EXPECT_EQ(numberFromText(QStringLiteral("100")), 100);
  EXPECT_EQ(numberFromText(QStringLiteral(" 1,234 ")), 1234);
  EXPECT_EQ(numberFromText(QStringLiteral("-5")), -5);
  EXPECT_EQ(numberFromText(QStringLiteral("+5")), 5);
  EXPECT_EQ(numberFromText(QStringLiteral("12.70")), 12);
  EXPECT_EQ(numberFromText(QStringLiteral("abc")), 0);
  EXPECT_EQ(numberFromText(QStringLiteral("99999999999")), 0);
  EXPECT_EQ(numberFromDigits(QStringLiteral("x-8px")), 8);
  EXPECT_EQ(numberFromDigits(QStringLiteral("１２")), 0);  // full-width digits are no digits
  EXPECT_EQ(numberFromDigits(QStringLiteral("99999999999")), 0);
}
