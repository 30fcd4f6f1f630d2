// Clipboard text of the main window: the lines written and the records read.

#include <gtest/gtest.h>

#include "main/cliptext.h"
#include "main/gridcopy.h"

using korvel::splitClipRecords;

namespace {

using Records = QList<QStringList>;

TEST(ClipText, LinesAndCellsAreWrittenAsSpreadsheetsReadThem) {
  EXPECT_EQ(korvel::clipLines({"A", "B"}), "A\r\nB\r\n");
  // Labels keep their quotes; cells have theirs doubled.
  EXPECT_EQ(korvel::gridTitleLine({"ID", "say \"hi\""}), "\"ID\"\t\"say \"hi\"\"\t\r\n");
  EXPECT_EQ(korvel::gridCellsLine({"1", "a\"b", ""}), "\"1\"\t\"a\"\"b\"\t\"\"\t\r\n");
}

TEST(ClipText, RowLimitIsFourHundredUnlessASmallerNumberIsGiven) {
  EXPECT_EQ(korvel::gridCopyLimit(""), 400);
  EXPECT_EQ(korvel::gridCopyLimit("0"), 400);
  EXPECT_EQ(korvel::gridCopyLimit("abc"), 400);
  EXPECT_EQ(korvel::gridCopyLimit("5"), 5);
  EXPECT_EQ(korvel::gridCopyLimit(" 400 "), 400);
  EXPECT_EQ(korvel::gridCopyLimit("401"), 400);
}

TEST(ClipText, OnlyOneFinalLineBreakIsDroppedAndNothingElse) {
  EXPECT_EQ(splitClipRecords("a\tb\r\nc\td\r\n"), (Records{{"a", "b"}, {"c", "d"}}));
  // Without a final line break the last character stays.
  EXPECT_EQ(splitClipRecords("a\tb\r\nc\td"), (Records{{"a", "b"}, {"c", "d"}}));
  EXPECT_EQ(splitClipRecords("xyz"), (Records{{"xyz"}}));
  // A second line break is an empty last record (nothing to assign).
  EXPECT_EQ(splitClipRecords("a\n\n"), (Records{{"a"}, {}}));
  // An empty line in the middle is a record with one empty cell.
  EXPECT_EQ(splitClipRecords("a\n\nb"), (Records{{"a"}, {""}, {"b"}}));
  EXPECT_TRUE(splitClipRecords("").isEmpty());
  EXPECT_TRUE(splitClipRecords("\r\n").isEmpty());
  // A trailing tab leaves an empty cell in the middle lines, none at the end.
  EXPECT_EQ(splitClipRecords("a\t\r\nb\t"), (Records{{"a", ""}, {"b"}}));
}

TEST(ClipText, LongTextsAreReadWhole) {
  QString text;
  for (int i = 0; i < 2000; ++i) text += QStringLiteral("%1\tvalue %1\r\n").arg(i);
  ASSERT_GT(text.size(), 4096);
  const Records records = splitClipRecords(text);
  ASSERT_EQ(records.size(), 2000);
  EXPECT_EQ(records.last(), (QStringList{"1999", "value 1999"}));
}

TEST(ClipText, QuotedCellsKeepTheirTabsLineBreaksAndQuotes) {
  EXPECT_EQ(splitClipRecords("\"a\tb\"\t\"line1\r\nline2\"\r\n\"say \"\"hi\"\"\"\tx"),
            (Records{{"a\tb", "line1\nline2"}, {"say \"hi\"", "x"}}));
  // The grid copy's own text comes back as its values.
  EXPECT_EQ(splitClipRecords(korvel::gridCellsLine({"1", "a\"b"})), (Records{{"1", "a\"b"}}));
  // A quote that is never closed, or one inside a cell, is plain text.
  EXPECT_EQ(splitClipRecords("\"open\tx"), (Records{{"\"open", "x"}}));
  EXPECT_EQ(splitClipRecords("5\" disk\t1"), (Records{{"5\" disk", "1"}}));
}

TEST(GridCopy, CommentsComeFromTheFormatGridThatBelongsToTheFields) {
  const QStringList labels = {"ID", "NAME", "EXTRA"};
  // A column the grid does not name keeps its place with an empty comment.
  EXPECT_EQ(korvel::formatGridComments(labels, {"ID", "NAME"}, {"番号", "氏名"}),
            (QStringList{"番号", "氏名", ""}));
  EXPECT_EQ(korvel::formatGridComments(labels, {"NAME", "ID"}, {"氏名", "番号"}), std::nullopt);
  EXPECT_EQ(korvel::formatGridComments(labels, {"ID", "NAME"}, {"", "氏名"}), std::nullopt);
  EXPECT_EQ(korvel::formatGridComments(labels, {}, {}), std::nullopt);
}

}  // namespace
