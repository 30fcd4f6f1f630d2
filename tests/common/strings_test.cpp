#include <gtest/gtest.h>

#include "common/strings.h"
#include "sjis.h"

namespace {

// ab日本cd: 日 at positions 3-4, 本 at 5-6.
const std::string kMixed = "ab" + sj("日本") + "cd";
// ソ (0x83 0x5C) and 表 (0x95 0x5C): trail byte 0x5C, the backslash.
const std::string kSo = sj("ソ");
// ア (0x83 0x41): trail byte 'A'; ム (0x83 0x80); 表 0x95 0x5C.

}  // namespace

TEST(StringsPosition, PosFromFindsFromPosition) {
  EXPECT_EQ(Qz_PosFrom("abcabc", "c", 4), 6);
  EXPECT_EQ(Qz_PosFrom("abcabc", "c", 1), 3);
  EXPECT_EQ(Qz_PosFrom("abc", "c", 4), 0);
  EXPECT_EQ(Qz_PosFrom("abc", "", 1), 0);
  EXPECT_EQ(Qz_PosFrom("abc", "a", 0), 1);
  EXPECT_EQ(Qz_PosFrom("abc", "a", -5), 1);
  EXPECT_EQ(Qz_PosFrom("", "a", 1), 0);
}

TEST(StringsPosition, PosFromNeverMatchesOnTrailByte) {
  // "A" occurs only as the trail byte of ア (0x83 0x41).
  const std::string t = sj("アイ") + "xA";
  EXPECT_EQ(Qz_PosFrom(t, "A", 1), 6);
  EXPECT_EQ(Qz_PosFrom(sj("ア"), "A", 1), 0);
  // 0x5C trail of ソ is not a backslash.
  EXPECT_EQ(Qz_PosFrom(kSo + "\\", "\\", 1), 3);
  // The tail from `from` is searched as a fresh text.
  EXPECT_EQ(Qz_PosFrom(sj("ア"), "A", 2), 2);
}

TEST(StringsPosition, PosFromNoCase) {
  EXPECT_EQ(Qz_PosFromNoCase("Select x FROM t", "from", 1), 10);
  EXPECT_EQ(Qz_PosFromNoCase(sj("ア") + "a", "A", 1), 3);
}

TEST(StringsReplace, ReplaceAllLeftToRightWithoutRescanning) {
  EXPECT_EQ(Qz_ReplaceAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(Qz_ReplaceAll("x-y-z", "-", ""), "xyz");
  EXPECT_EQ(Qz_ReplaceAll("abab", "ab", "b"), "bb");
  EXPECT_EQ(Qz_ReplaceAll("aaaa", "aa", "a"), "aa");
  EXPECT_EQ(Qz_ReplaceAll("it's", "'", "''"), "it''s");
  EXPECT_EQ(Qz_ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(Qz_ReplaceAll("abc", "x", "x"), "abc");
  EXPECT_EQ(Qz_ReplaceAll(kSo + "\\", "\\", "/"), kSo + "/");
}

TEST(StringsCase, UpperLowerLeaveDoubleByteCharactersAlone) {
  // ア = 0x83 0x41 ('A'), ム = 0x83 0x80; ａ (full-width a) = 0x82 0x81;
  // ぁ = 0x82 0x9F; a trail byte in 0x61..0x7A: ビ = 0x83 0x72 ('r').
  const std::string t = "ab" + sj("アビｶ") + "Cd";
  EXPECT_EQ(Qz_UpperHalf(t), "AB" + sj("アビｶ") + "CD");
  EXPECT_EQ(Qz_LowerHalf(t), "ab" + sj("アビｶ") + "cd");
  EXPECT_EQ(Qz_UpperHalf(sj("ビ")), sj("ビ"));
  EXPECT_EQ(Qz_LowerHalf(sj("ア")), sj("ア"));
  EXPECT_EQ(Qz_UpperHalf(std::string("a\x83")), std::string("A\x83"));  // lone lead kept
}

TEST(StringsCase, Capitalize) {
  EXPECT_EQ(Qz_Capitalize("tABLE_name"), "Table_name");
  EXPECT_EQ(Qz_Capitalize(sj("ア") + "BC"), sj("ア") + "bc");
  EXPECT_EQ(Qz_Capitalize(""), "");
}

TEST(StringsCompare, CompareOptOptions) {
  EXPECT_EQ(Qz_CompareOpt("abc", "ABCD", "US"), 0);
  EXPECT_EQ(Qz_CompareOpt("abc", "ABCD", "U"), -1);
  EXPECT_EQ(Qz_CompareOpt("Paradox", "paradox", "ls"), 0);
  EXPECT_EQ(Qz_CompareOpt("ABCD", "abc", "us"), 0);
  EXPECT_EQ(Qz_CompareOpt("b", "a", ""), 1);
  EXPECT_EQ(Qz_CompareOpt("abc", "ABC", "UL"), 0);
  EXPECT_EQ(Qz_CompareOpt("", "", "x"), 0);
}

TEST(StringsBlanks, TrimAndDelete) {
  EXPECT_EQ(Qz_TrimLeft(" \t\r\nab c "), "ab c ");
  EXPECT_EQ(Qz_TrimRight(" ab c \x01\n"), " ab c");
  EXPECT_EQ(Qz_TrimRight(sj("　")), sj("　"));  // full-width space is not a blank
  EXPECT_EQ(Qz_DelBlanks(" a\tb\r\nc" + sj("　") + "d "), "abc" + sj("　") + "d");
  EXPECT_EQ(Qz_DigitsOnly("1996-01/05x" + sj("日")), "19960105");
  EXPECT_EQ(Qz_TrimLeft("   "), "");
}

TEST(StringsQuotes, QuoteAndUnquote) {
  EXPECT_EQ(Qz_QuoteSgl("it's"), "'it''s'");
  EXPECT_EQ(Qz_QuoteDbl("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(Qz_QuoteSgl(""), "''");
  EXPECT_EQ(Qz_Unquote("'ab'c"), "ab");
  EXPECT_EQ(Qz_Unquote("'abc"), "");
  EXPECT_EQ(Qz_Unquote("''"), "");
  EXPECT_EQ(Qz_Unquote("'"), "'");
  EXPECT_EQ(Qz_Unquote("abc"), "abc");
  EXPECT_EQ(Qz_Unquote("'it''s'"), "it''s");
}

TEST(StringsQuotes, AddBackslash) {
  EXPECT_EQ(Qz_AddBackslash("C:\\dir"), "C:\\dir\\");
  EXPECT_EQ(Qz_AddBackslash("C:\\dir\\"), "C:\\dir\\");
  EXPECT_EQ(Qz_AddBackslash("C:\\" + kSo), "C:\\" + kSo + "\\");
  EXPECT_EQ(Qz_AddBackslash(""), "\\");
}

TEST(StringsSubBytes, CutRules) {
  EXPECT_EQ(Qz_SubBytes(kMixed, 1, 3), "ab ");
  EXPECT_EQ(Qz_SubBytes(kMixed, 1, 4), "ab" + sj("日"));
  EXPECT_EQ(Qz_SubBytes(kMixed, 4, 3), " " + sj("本"));
  EXPECT_EQ(Qz_SubBytes(kMixed, 3, 1), " ");
  EXPECT_EQ(Qz_SubBytes(kMixed, 4, 1), " ");
  EXPECT_EQ(Qz_SubBytes(kMixed, 4, 2), "  ");
  EXPECT_EQ(Qz_SubBytes(kMixed, 9, 1), "");
  EXPECT_EQ(Qz_SubBytes(kMixed, 1, 0), "");
  EXPECT_EQ(Qz_SubBytes(kMixed, 1, -3), "");
  EXPECT_EQ(Qz_SubBytes(kMixed, 7, 100), "cd");
  EXPECT_EQ(Qz_SubBytes(kMixed, 1, 100), kMixed);
}

TEST(StringsSubBytes, OutsideRangesAndLoneLeadBytes) {
  EXPECT_EQ(Qz_SubBytes(kMixed, 0, 3), "ab");
  EXPECT_EQ(Qz_SubBytes(kMixed, -1, 6), "ab" + sj("日"));
  EXPECT_EQ(Qz_SubBytes(kMixed, -1, 5), "ab ");
  EXPECT_EQ(Qz_SubBytes(kMixed, -10, 3), "");
  EXPECT_EQ(Qz_SubBytes(kMixed, 2147483647, 2147483647), "");
  const std::string lone = std::string("ab\x93");
  EXPECT_EQ(Qz_SubBytes(lone, 1, 3), "ab ");
  EXPECT_EQ(Qz_SubBytes(lone, 1, 10), "ab ");
  EXPECT_EQ(Qz_SubBytes(lone, 3, 1), " ");
}

TEST(StringsSubBytes, AlignmentComesFromTheStartOfTheText) {
  // Trail bytes that look like lead bytes: 日 is 0x93 0xFA, 本 0x96 0x7B,
  // 表 0x95 0x5C, 々 0x81 0x58; ー 0x81 0x5B. A run of 表 has trail 0x5C
  // followed by lead 0x95, so only a walk from the start tells them apart.
  const std::string run = sj("表表表表");
  EXPECT_EQ(Qz_SubBytes(run, 3, 2), sj("表"));
  EXPECT_EQ(Qz_SubBytes(run, 4, 2), "  ");
  EXPECT_EQ(Qz_SubBytes("x" + run, 4, 2), sj("表"));
  EXPECT_EQ(Qz_SubBytes("x" + run, 5, 2), "  ");
  // Bytes 0x81 0x81 0x81 0x40: pairs (81 81) (81 40).
  const std::string pairs = "\x81\x81\x81\x40";
  EXPECT_EQ(Qz_SubBytes(pairs, 2, 2), "  ");
  EXPECT_EQ(Qz_SubBytes(pairs, 3, 2), "\x81\x40");
}

TEST(StringsItems, GetItemWalk) {
  int pos = 1;
  EXPECT_EQ(Qz_GetItem("2024/1/5", pos, '/'), "2024");
  EXPECT_EQ(pos, 5);
  EXPECT_EQ(Qz_GetItem("2024/1/5", pos, '/'), "1");
  EXPECT_EQ(Qz_GetItem("2024/1/5", pos, '/'), "5");
  EXPECT_EQ(pos, 9);
  EXPECT_EQ(Qz_GetItem("2024/1/5", pos, '/'), "");
  EXPECT_EQ(pos, 9);
}

TEST(StringsItems, GetItemBlanksAndEmptyItems) {
  int pos = 1;
  EXPECT_EQ(Qz_GetItem("a, b", pos, ','), "a");
  EXPECT_EQ(Qz_GetItem("a, b", pos, ','), " b");
  pos = 1;
  EXPECT_EQ(Qz_GetItem("a,,b", pos, ','), "a");
  EXPECT_EQ(Qz_GetItem("a,,b", pos, ','), "");
  EXPECT_EQ(Qz_GetItem("a,,b", pos, ','), "b");
  pos = 1;
  EXPECT_EQ(Qz_GetItem(",a", pos, ','), "a");
  pos = 1;
  EXPECT_EQ(Qz_GetItem("  x y ,z", pos, ','), "x y ");
  pos = -3;
  EXPECT_EQ(Qz_GetItem("q", pos, ','), "q");
}

TEST(StringsItems, GetItemKeepsDoubleByteCharactersWhole) {
  // ソ's trail byte 0x5C must not end an item delimited by '\'.
  const std::string t = kSo + "\\x";
  int pos = 1;
  EXPECT_EQ(Qz_GetItem(t, pos, '\\'), kSo);
  EXPECT_EQ(Qz_GetItem(t, pos, '\\'), "x");
  pos = 1;
  const std::string lone = std::string("ab\x93");
  EXPECT_EQ(Qz_GetItem(lone, pos, ','), lone);
  EXPECT_EQ(pos, 4);
}

TEST(StringsTokens, SplitTokensRules) {
  std::vector<std::string> list{"old"};
  EXPECT_TRUE(Qz_SplitTokens("SELECT 'it''s' , x", list));
  EXPECT_EQ(list, (std::vector<std::string>{"SELECT", "'it's'", ",", "x"}));
  Qz_SplitTokens("'a'b", list);
  EXPECT_EQ(list, (std::vector<std::string>{"'a'", "b"}));
  Qz_SplitTokens("a'b c", list);
  EXPECT_EQ(list, (std::vector<std::string>{"a'b", "c"}));
  Qz_SplitTokens(" \t ", list);
  EXPECT_TRUE(list.empty());
  Qz_SplitTokens("x 'open string", list);
  EXPECT_EQ(list, (std::vector<std::string>{"x", "'open string"}));
  Qz_SplitTokens("abc " + sj("日本"), list);
  EXPECT_EQ(list, (std::vector<std::string>{"abc", sj("日本")}));
  Qz_SplitTokens("''", list);
  EXPECT_EQ(list, (std::vector<std::string>{"''"}));
}

TEST(StringsTokens, SplitTokensDoubleByteAndLoneLead) {
  std::vector<std::string> list;
  // ー is 0x81 0x5B; 'ｱ' (single-byte katakana) splits nothing.
  Qz_SplitTokens(sj("'ソ' ｱ x") + "\x93", list);
  EXPECT_EQ(list, (std::vector<std::string>{sj("'ソ'"), sj("ｱ"), "x"}));
  // Quote-like trail bytes do not exist (trail >= 0x40), but 0x81 0x27 is
  // not CP932; the walk pairs it anyway and does not close the string.
  Qz_SplitTokens(std::string("'a\x81' b'"), list);
  EXPECT_EQ(list, (std::vector<std::string>{std::string("'a\x81' b'")}));
}

TEST(StringsTokens, AddItemPlaceholder) {
  std::vector<std::string> list;
  Qz_AddItem("", list);
  Qz_AddItem("x", list);
  EXPECT_EQ(list, (std::vector<std::string>{"---", "x"}));
}
