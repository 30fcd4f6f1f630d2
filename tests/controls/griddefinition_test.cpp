// Stored grid definitions: parsing, applying, loading from the program's
// resources and from damaged files.
#include <gtest/gtest.h>

#include "qtprint.h"

#include <QTemporaryDir>
#include <QTest>

#include "controls/combogrid.h"
#include "controls/griddefinition.h"

using namespace korvel;

namespace {

const char* const kDefinition = R"(// two grids
object ComboGrid1: TComboGrid
  ColCount = 3
  RowCount = 5
  FixedCols = 0
  DefaultRowHeight = 18
  Options = [goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goEditing]
  ColWidths = (50 60 70)
  CellData = (
    0 0 '型'
    1 0 'Name'
    0 1 '初期値')
  CellKind = (
    0 18 17 2 '' '' 0 2 0 True
    0 9 17 2 '' '' 0 5 0 True)
end
object Other: TComboGrid
  ColCount = 2
end
)";

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    first = new TComboGrid(&window);
    first->setObjectName("ComboGrid1");
    other = new TComboGrid(&window);
    other->setObjectName("Other");
  }
  QString WriteFile(const QByteArray& bytes) {
    const QString path = dir.filePath("test.grid");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
  }

  QTemporaryDir dir;
  QWidget window;
  TComboGrid* first = nullptr;
  TComboGrid* other = nullptr;
};

TEST_F(Window, LoadsEveryBlockIntoItsGrid) {
  QString error;
  ASSERT_TRUE(LoadGridDefinitions(&window, WriteFile(kDefinition), &error)) << error.toStdString();
  EXPECT_EQ(first->ColCount(), 3);
  EXPECT_EQ(first->RowCount(), 5);
  EXPECT_EQ(first->FixedCols(), 0);
  EXPECT_EQ(first->FixedRows(), 1);
  EXPECT_EQ(first->RowHeights(3), 18);
  EXPECT_EQ(first->ColWidths(2), 70);
  EXPECT_TRUE(first->Options() & goEditing);
  EXPECT_FALSE(first->Options() & goRangeSelect);
  EXPECT_EQ(first->Cells(0, 1), QStringLiteral("初期値"));
  EXPECT_EQ(first->CellKindCount(), 2);
  EXPECT_EQ(first->GetCellKind(1)->Margin(), 5);
  EXPECT_EQ(other->ColCount(), 2);
}

TEST_F(Window, TheProgramsOwnDefinitionsAreResources) {
  QWidget demo;
  auto* grid = new TComboGrid(&demo);
  grid->setObjectName("ComboGridDemo");
  QString error;
  ASSERT_TRUE(LoadGridDefinitions(&demo, ":/grids/controlsdemo.grid", &error)) << error.toStdString();
  EXPECT_EQ(grid->GetCellKind(5)->Kind(), ckCheck);
  EXPECT_EQ(grid->Cells(1, 0), QStringLiteral("文字"));
}

TEST_F(Window, WrittenDefinitionReadsBackTheSameGrid) {
  ASSERT_TRUE(LoadGridDefinitions(&window, WriteFile(kDefinition)));
  first->SetCells(2, 4, "it's");
  first->SetRowHeights(2, 30);
  const auto defs = ParseGridDefinitions(WriteGridDefinition(*first), "written");
  ASSERT_EQ(defs.size(), 1u);
  TComboGrid copy;
  ApplyGridDefinition(copy, defs[0]);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(copy.Cells(c, r), first->Cells(c, r));
  EXPECT_EQ(copy.RowHeights(2), 30);
  EXPECT_EQ(copy.Options(), first->Options());
  EXPECT_EQ(copy.GetCellKind(0)->FixedAlign(), 18);
}

TEST_F(Window, DamagedBlockIsReportedAndChangesNothing) {
  QByteArray text(kDefinition);
  text.replace("0 9 17 2 '' '' 0 5 0 True", "0 9 17 2 '' '' 0 5 0");
  first->SetCells(1, 1, "mine");
  QString error;
  EXPECT_FALSE(LoadGridDefinitions(&window, WriteFile(text), &error));
  EXPECT_TRUE(error.contains("CellKind")) << error.toStdString();
  EXPECT_TRUE(error.contains(QStringLiteral("行目"))) << error.toStdString();
  EXPECT_EQ(first->ColCount(), 5);  // untouched
  EXPECT_EQ(first->Cells(1, 1), "mine");
  EXPECT_EQ(other->ColCount(), 2);  // the sound block still applied
  // The grid stays usable: it takes typing.
  window.show();
  first->SetOptions(first->Options() | goEditing);
  first->setFocus();
  first->FocusCell(2, 2);
  QTest::keyClicks(first, "ok");
  EXPECT_EQ(first->Cells(2, 2), "ok");
}

TEST_F(Window, EveryTruncationOfTheFileIsAnError) {
  const QByteArray text(kDefinition);
  const qsizetype lastEnd = text.lastIndexOf("end");
  const qsizetype firstEnd = text.indexOf("end\nobject") + 3;
  const qsizetype secondStart = text.indexOf("object Other");
  for (qsizetype n = text.indexOf("object") + 1; n < lastEnd; n += 5) {
    if (n >= firstEnd && n <= secondStart) continue;  // exactly the first block: sound
    QString error;
    EXPECT_FALSE(LoadGridDefinitions(&window, WriteFile(text.left(n)), &error)) << "cut at " << n;
    EXPECT_FALSE(error.isEmpty());
  }
}

TEST_F(Window, OtherProblemsAreNamed) {
  QString error;
  EXPECT_FALSE(LoadGridDefinitions(&window, dir.filePath("missing.grid"), &error));
  EXPECT_TRUE(error.contains("missing.grid"));
  EXPECT_FALSE(LoadGridDefinitions(&window, WriteFile("object Nobody: TComboGrid\nend\n"), &error));
  EXPECT_TRUE(error.contains("Nobody"));
  EXPECT_FALSE(LoadGridDefinitions(&window, WriteFile("object Other: TComboGrid\n  Colour = 3\nend\n"), &error));
  EXPECT_TRUE(error.contains("Colour"));
  EXPECT_FALSE(LoadGridDefinitions(&window, WriteFile("object Other: TComboGrid\n  FixedCols = 5\nend\n"), &error));
  EXPECT_FALSE(LoadGridDefinitions(&window, WriteFile("object Other: TComboGrid\n  Options = [goNothing]\nend\n"), &error));
  EXPECT_TRUE(error.contains("goNothing"));
  EXPECT_FALSE(LoadGridDefinitions(&window, WriteFile("\xff\xfe garbage"), &error));
  EXPECT_EQ(other->ColCount(), 5);
}

}  // namespace
