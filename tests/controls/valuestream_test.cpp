// The typed-value stream in both forms, and the CellData/CellKind lists.
#include <gtest/gtest.h>

#include "qtprint.h"

#include "controls/combogrid.h"
#include "controls/gridproperties.h"
#include "controls/valuestream.h"

using namespace korvel;

namespace {

TypedValues Mixed() {
  return {TypedValue::ListBegin(), TypedValue::Int(0),        TypedValue::Int(-128),
          TypedValue::Int(127),    TypedValue::Int(128),      TypedValue::Int(-129),
          TypedValue::Int(32767),  TypedValue::Int(-32768),   TypedValue::Int(32768),
          TypedValue::Int(INT32_MIN), TypedValue::Int(INT32_MAX), TypedValue::Str(""),
          TypedValue::Str(QStringLiteral("初期値")), TypedValue::Str(QString(300, u'あ')),
          TypedValue::Str(QStringLiteral("한국어 ✓")), TypedValue::Bool(true),
          TypedValue::Bool(false), TypedValue::Ident("goEditing"),
          TypedValue::SetOf({"goEditing", "goTabs"}), TypedValue::ListEnd()};
}

TEST(BinaryStream, RoundTripsEveryValue) {
  EXPECT_EQ(ReadBinaryValues(WriteBinaryValues(Mixed())), Mixed());
}

TEST(BinaryStream, IntegersUseTheSmallestWidth) {
  EXPECT_EQ(WriteBinaryValues({TypedValue::Int(-128)}).size(), 2);
  EXPECT_EQ(WriteBinaryValues({TypedValue::Int(128)}).size(), 3);
  EXPECT_EQ(WriteBinaryValues({TypedValue::Int(-32768)}).size(), 3);
  EXPECT_EQ(WriteBinaryValues({TypedValue::Int(32768)}).size(), 5);
}

TEST(BinaryStream, IntegersReadBackFromAnyWidth) {
  const QByteArray bytes("\x02\xfe"                 // Int8 -2
                         "\x03\xfe\xff"             // Int16 -2
                         "\x04\xfe\xff\xff\xff"     // Int32 -2
                         "\x03\x05\x00"             // Int16 5
                         "\x04\x05\x00\x00\x00",    // Int32 5
                         18);
  const TypedValues v = ReadBinaryValues(bytes);
  ASSERT_EQ(v.size(), 5u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(v[i], TypedValue::Int(-2));
  EXPECT_EQ(v[3], TypedValue::Int(5));
  EXPECT_EQ(v[4], TypedValue::Int(5));
}

TEST(BinaryStream, TextWithoutCp932FormIsKeptAsUtf8) {
  const QByteArray bytes = WriteBinaryValues({TypedValue::Str(QStringLiteral("한"))});
  EXPECT_EQ(quint8(bytes[0]), quint8(ValueTag::Utf8String));
  EXPECT_EQ(quint8(WriteBinaryValues({TypedValue::Str(QStringLiteral("型"))})[0]),
            quint8(ValueTag::String));
}

TEST(BinaryStream, EveryTruncationIsAClearError) {
  const QByteArray whole = WriteBinaryValues(Mixed());
  for (qsizetype n = 0; n < whole.size(); ++n) {
    if (n == 0) continue;  // nothing at all is an empty value sequence
    EXPECT_THROW(ReadBinaryValues(whole.left(n)), StreamError) << "cut at " << n;
  }
}

TEST(BinaryStream, DamageIsReportedWithItsPosition) {
  try {
    ReadBinaryValues(QByteArray("\x01\x02\x05\x63", 4));
    FAIL() << "unknown tag accepted";
  } catch (const StreamError& e) {
    EXPECT_TRUE(e.message().contains("3")) << e.message().toStdString();
  }
  // A long string whose length runs past the data.
  EXPECT_THROW(ReadBinaryValues(QByteArray("\x0c\xff\xff\x00\x00" "ab", 7)), StreamError);
  EXPECT_THROW(ReadBinaryValues(QByteArray("\x00", 1)), StreamError);  // end without begin
}

TEST(TextStream, WritesTheDefinitionForm) {
  EXPECT_EQ(WriteTextValues({TypedValue::ListBegin(), TypedValue::Int(0), TypedValue::Int(1),
                             TypedValue::Str(QStringLiteral("型")), TypedValue::ListEnd()}),
            QStringLiteral("(0 1 '型')"));
  EXPECT_EQ(WriteTextValue(TypedValue::Str("it's")), "'it''s'");
  EXPECT_EQ(WriteTextValue(TypedValue::Str("a\r\nb")), "'a'#13#10'b'");
  EXPECT_EQ(WriteTextValue(TypedValue::Str("")), "''");
}

TEST(TextStream, RoundTripsEveryValue) {
  EXPECT_EQ(ReadTextValues(WriteTextValues(Mixed())), Mixed());
  const TypedValues odd{TypedValue::Str("it's"), TypedValue::Str("a\r\nb"), TypedValue::Str("#1")};
  EXPECT_EQ(ReadTextValues(WriteTextValues(odd)), odd);
}

TEST(TextStream, ReadsJoinedStringsHexAndComments) {
  const TypedValues v = ReadTextValues("( 'ab' +\n 'cd'#33 $1F -5 // note\n True )");
  ASSERT_EQ(v.size(), 6u);
  EXPECT_EQ(v[1], TypedValue::Str("abcd!"));
  EXPECT_EQ(v[2], TypedValue::Int(31));
  EXPECT_EQ(v[3], TypedValue::Int(-5));
  EXPECT_EQ(v[4], TypedValue::Bool(true));
}

TEST(TextStream, DamageNamesTheLine) {
  const QByteArray deep(100000, '(');
  for (const char* bad : {"(0 1 'abc", "(0 1", "(0 1 'x' ]", "(0 99999999999)", "(0 1 @)", deep.constData()}) {
    try {
      ReadTextValues(QString::fromLatin1(bad));
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const StreamError& e) {
      EXPECT_TRUE(e.message().contains(QStringLiteral("行目"))) << e.message().toStdString();
    }
  }
}

class GridLists : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.SetColCount(3);
    grid.SetRowCount(4);
  }
  TComboGrid grid;
};

TEST_F(GridLists, CellDataIsWrittenRowByRow) {
  EXPECT_EQ(WriteTextValues(WriteCellData(grid)), "()");
  grid.SetCells(0, 1, QStringLiteral("型"));
  grid.SetCells(1, 0, "t");
  grid.SetCells(0, 2, QStringLiteral("初期値"));
  EXPECT_EQ(WriteTextValues(WriteCellData(grid)), QStringLiteral("(1 0 't' 0 1 '型' 0 2 '初期値')"));
}

TEST_F(GridLists, CellDataRoundTripsInBothForms) {
  grid.SetCells(2, 3, "it's\nmultiline");
  grid.SetCells(0, 0, QStringLiteral("増減"));
  const TypedValues data = WriteCellData(grid);
  for (const TypedValues& back : {ReadBinaryValues(WriteBinaryValues(data)),
                                  ReadTextValues(WriteTextValues(data))}) {
    TComboGrid copy;
    copy.SetColCount(3);
    copy.SetRowCount(4);
    copy.SetCells(1, 1, "kept");  // cells not named keep their text
    ReadCellData(copy, back);
    EXPECT_EQ(copy.Cells(2, 3), "it's\nmultiline");
    EXPECT_EQ(copy.Cells(0, 0), QStringLiteral("増減"));
    EXPECT_EQ(copy.Cells(1, 1), "kept");
  }
}

TEST_F(GridLists, CellDataOutsideTheGridIsIgnoredAndDamageChangesNothing) {
  ReadCellData(grid, ReadTextValues("(0 1 'a' 7 7 'far' -1 0 'neg')"));
  EXPECT_EQ(grid.Cells(0, 1), "a");
  grid.SetCells(0, 1, "before");
  EXPECT_THROW(ReadCellData(grid, ReadTextValues("(0 1 'a' 0 2)")), StreamError);
  EXPECT_THROW(ReadCellData(grid, ReadTextValues("(0 1 2)")), StreamError);
  EXPECT_THROW(ReadCellData(grid, ReadTextValues("(0 1 'a') 5")), StreamError);
  EXPECT_EQ(grid.Cells(0, 1), "before");
  EXPECT_EQ(grid.Cells(0, 2), "");
}

TEST_F(GridLists, DefaultKindsAreWrittenForEveryColumn) {
  EXPECT_EQ(WriteTextValues(WriteCellKind(grid)),
            "(0 17 17 0 0 2 0 True 0 17 17 0 0 2 0 True 0 17 17 0 0 2 0 True)");
}

TEST_F(GridLists, CellKindRoundTripsInBothForms) {
  TCellKind* check = grid.GetCellKind(0);
  check->SetKind(ckCheck);
  check->AddItem("Y", 0);
  check->AddItem("N", 1);
  check->SetMargin(-3);
  check->SetEditable(false);
  TCellKind* edit = grid.GetCellKind(1);
  edit->SetFixedAlign(18);
  edit->AddItem("");
  edit->AddItem("#,##0");
  edit->SetListWidth(40000);
  edit->SetMaxLength(300);
  const TypedValues kinds = WriteCellKind(grid);
  EXPECT_EQ(WriteTextValues(TypedValues(kinds.begin() + 1, kinds.begin() + 13)),
            "3 17 17 2 'Y' 0 'N' 1 0 -3 0 False");
  for (const TypedValues& back : {ReadBinaryValues(WriteBinaryValues(kinds)),
                                  ReadTextValues(WriteTextValues(kinds))}) {
    TComboGrid copy;
    copy.SetColCount(3);
    ReadCellKind(copy, back);
    EXPECT_EQ(copy.CellKindCount(), 3);
    const TCellKind* c = copy.GetCellKind(0);
    EXPECT_EQ(c->Kind(), ckCheck);
    EXPECT_EQ(c->Items(), check->Items());
    EXPECT_EQ(c->Margin(), -3);
    EXPECT_FALSE(c->Editable());
    EXPECT_EQ(c->Grid(), nullptr);  // read kinds carry no grid link
    const TCellKind* e = copy.GetCellKind(1);
    EXPECT_EQ(e->FixedAlign(), 18);
    EXPECT_EQ(e->ItemText(1), "#,##0");
    EXPECT_EQ(e->ListWidth(), 40000);
    EXPECT_EQ(e->MaxLength(), 300);
  }
}

TEST_F(GridLists, CellKindReadsTheDefinitionExamples) {
  ReadCellKind(grid, ReadTextValues("(0 18 17 2 '' '' 0 2 0 True 0 9 17 2 '' '' 0 5 0 True)"));
  EXPECT_EQ(grid.CellKindCount(), 2);
  EXPECT_EQ(grid.GetCellKind(0)->FixedAlign(), 18);
  EXPECT_EQ(grid.GetCellKind(0)->Items().size(), 2);
  EXPECT_EQ(grid.GetCellKind(1)->FixedAlign(), 9);
  EXPECT_EQ(grid.GetCellKind(1)->Margin(), 5);
  // The third column gets a default kind on demand.
  EXPECT_EQ(grid.GetCellKind(2)->CellAlign(), 17);
  EXPECT_EQ(grid.GetCellKind(2)->Grid(), &grid);
  // Low 8 bits of wider integers; Margin sign-extended from its byte.
  ReadCellKind(grid, ReadTextValues("(256 273 17 0 0 255 0 True 0 17 17 0 0 2 0 True "
                                    "0 17 17 0 0 2 0 True 0 17 17 0 0 2 0 True)"));
  EXPECT_EQ(grid.CellKindCount(), 4);  // records beyond ColCount are kept
  EXPECT_EQ(grid.GetCellKind(0)->Kind(), ckEdit);
  EXPECT_EQ(grid.GetCellKind(0)->FixedAlign(), 17);
  EXPECT_EQ(grid.GetCellKind(0)->Margin(), -1);
}

TEST_F(GridLists, DamagedCellKindLeavesTheKindsAlone) {
  grid.GetCellKind(0)->SetKind(ckButton);
  for (const char* bad : {"(0 17 17 0 0 2 0)", "(0 17 17 -1 0 2 0 True)", "(0 17 17 1 5 0 2 0 True)",
                          "(3 17 17 1 'Y' 0 2 0 True)", "(0 17 17 0 0 2 0 'yes')"}) {
    EXPECT_THROW(ReadCellKind(grid, ReadTextValues(QString::fromLatin1(bad))), StreamError) << bad;
    EXPECT_EQ(grid.GetCellKind(0)->Kind(), ckButton) << bad;
  }
}

}  // namespace
