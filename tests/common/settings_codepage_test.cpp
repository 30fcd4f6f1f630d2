// The INI reader and writer, the settings routines and the code page
// conversions at the edges of the program.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "common/codepage.h"
#include "common/inifile.h"
#include "common/settings.h"

using korvel::IniFile;

namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(IniFile, SectionsAndKeysIgnoreCaseAndTheLastRepeatWins) {
  const IniFile ini = IniFile::parse("; comment\n[db]\nalias = DEMO\r\nALIAS=OTHER\n[X]\nk=\n");
  EXPECT_EQ(ini.value("DB", "Alias").value_or("?"), "OTHER");
  EXPECT_EQ(ini.value("x", "K").value_or("?"), "");
  EXPECT_FALSE(ini.value("DB", "T1").has_value());
  EXPECT_TRUE(ini.problems().empty());
}

TEST(IniFile, MalformedLinesAreNamedAndSkipped) {
  const IniFile ini = IniFile::parse("key=before section\n[S]\nno equals sign\n[broken\n=v\nk=v\n");
  ASSERT_EQ(ini.problems().size(), 5u);
  EXPECT_EQ(ini.problems()[0].line, 1);
  EXPECT_EQ(ini.problems()[1].line, 3);
  EXPECT_EQ(ini.problems()[2].line, 4);
  EXPECT_EQ(ini.problems()[3].line, 5);
  // After a broken section header, lines belong to no section.
  EXPECT_EQ(ini.problems()[4].line, 6);
  EXPECT_FALSE(ini.value("S", "k").has_value());
}

TEST(IniFile, SaveReplacesTheFileWholeAndRoundTrips) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("sub/folder/FormMain.ini").toStdString();
  IniFile ini;
  ini.setValue("DB", "Alias", "\x83\x65\x83\x58\x83\x67");  // テスト in CP932
  ini.setValue("DB", "T1", "ButtonMemo(&1)");
  ASSERT_TRUE(ini.save(path));
  IniFile back;
  ASSERT_TRUE(IniFile::load(path, back));
  EXPECT_EQ(back.value("db", "alias").value_or(""), "\x83\x65\x83\x58\x83\x67");
  EXPECT_EQ(readAll(path), "[DB]\r\nAlias=\x83\x65\x83\x58\x83\x67\r\nT1=ButtonMemo(&1)\r\n");
  // No temporary file is left beside it.
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.filePath("sub/folder").toStdString())) ++files;
  EXPECT_EQ(files, 1);
}

TEST(IniFile, AFolderThatCannotBeWrittenFailsWithoutAFile) {
  std::string error;
  IniFile ini;
  ini.setValue("A", "b", "c");
  EXPECT_FALSE(ini.save("/proc/korvel-no-such/x.ini", &error));
  EXPECT_FALSE(error.empty());
}

TEST(Settings, ReadGivesTheDefaultAndWriteKeepsOtherKeys) {
  QTemporaryDir dir;
  const std::string file = dir.filePath("s.ini").toStdString();
  EXPECT_EQ(Qz_IniRead(file, "DB", "Alias", "none"), "none");
  EXPECT_TRUE(Qz_IniWrite(file, "DB", "Alias", "DEMO"));
  EXPECT_TRUE(Qz_IniWrite(file, "DB", "T1", "EMPLOYEE"));
  EXPECT_TRUE(Qz_IniWrite(file, "DB", "Alias", "PG"));
  EXPECT_EQ(Qz_IniRead(file, "DB", "Alias", ""), "PG");
  EXPECT_EQ(Qz_IniRead(file, "db", "t1", ""), "EMPLOYEE");
}

TEST(CodePage, JapaneseRoundTripsAndAsciiIsKept) {
  const QString text = QStringLiteral("社員 ｶﾅ ABC \\~");
  std::string bytes;
  ASSERT_TRUE(korvel::tryToCp932(text, bytes));
  EXPECT_EQ(bytes.substr(0, 4), "\x8e\xd0\x88\xf5");
  EXPECT_EQ(korvel::fromCp932(bytes), text);
  EXPECT_EQ(korvel::toCp932(QStringLiteral("plain")), "plain");
}

TEST(CodePage, CharactersWithoutACp932FormAreRefusedNotAltered) {
  std::string bytes = "stale";
  int bad = -2;
  EXPECT_FALSE(korvel::tryToCp932(QStringLiteral("ab\u00e9c"), bytes, &bad));
  EXPECT_EQ(bad, 2);
  EXPECT_TRUE(bytes.empty());
  EXPECT_THROW(korvel::toCp932(QString::fromUtf8("x\xF0\x9F\x98\x80")), korvel::CodePageError);
}

TEST(CodePage, UndecodableBytesBecomeReplacementCharacters) {
  int firstBad = -2;
  // 0x81 0x20 is a lead byte without a valid trail; a lone lead byte ends it.
  const QString text = korvel::fromCp932(std::string("A\x81\x20" "B\x82", 5), &firstBad);
  EXPECT_EQ(firstBad, 1);
  EXPECT_TRUE(text.startsWith(QStringLiteral("A\uFFFD")));
  EXPECT_TRUE(text.contains(QLatin1Char('B')));
  EXPECT_TRUE(text.endsWith(QChar(0xFFFD)));
}

}  // namespace
