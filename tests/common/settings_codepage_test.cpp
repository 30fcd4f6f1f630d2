// The INI reader and writer, the settings routines and the code page
// conversions at the edges of the program.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <iconv.h>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "common/codepage.h"
#include "common/cp932table.h"
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
  ASSERT_EQ(ini.problems().size(), 1u);
  EXPECT_EQ(ini.problems()[0].kind, korvel::IniProblem::Kind::RepeatedKey);
  EXPECT_EQ(ini.problems()[0].line, 4);
  EXPECT_EQ(ini.problems()[0].firstLine, 3);
}

TEST(IniFile, RepeatedSectionIsReportedAndNotMergedIntoTheFirst) {
  const IniFile ini = IniFile::parse("[D]\nk=1\n\n[d]\nk=2\nj=3\n[E]\nx=y\n");
  ASSERT_EQ(ini.sections().size(), 2u);
  EXPECT_EQ(ini.value("D", "k").value_or("?"), "1");
  EXPECT_FALSE(ini.value("D", "j").has_value());
  EXPECT_EQ(ini.value("E", "x").value_or("?"), "y");  // the next section is read again
  ASSERT_EQ(ini.problems().size(), 1u);
  EXPECT_EQ(ini.problems()[0].kind, korvel::IniProblem::Kind::RepeatedSection);
  EXPECT_EQ(ini.problems()[0].line, 4);
  EXPECT_EQ(ini.problems()[0].firstLine, 1);
  EXPECT_EQ(ini.problems()[0].name, "d");
}

TEST(IniFile, EveryLineEndAndAByteOrderMarkAreRead) {
  const IniFile ini = IniFile::parse("\xEF\xBB\xBF[A]\rk=1\r[B]\r\nk=2\r\n\r\n[C]\nk=3");
  EXPECT_TRUE(ini.hasUtf8Mark());
  EXPECT_TRUE(ini.problems().empty());
  EXPECT_EQ(ini.value("A", "k").value_or("?"), "1");
  EXPECT_EQ(ini.value("B", "k").value_or("?"), "2");
  EXPECT_EQ(ini.value("C", "k").value_or("?"), "3");
  EXPECT_EQ(ini.serialize(), "\xEF\xBB\xBF[A]\rk=1\r[B]\r\nk=2\r\n\r\n[C]\nk=3");
}

TEST(IniFile, TrailBytesThatLookLikeLettersAreNotCaseFolded) {
  // \x83\x41 and \x83\x61 are two different katakana in CP932.
  const IniFile ini = IniFile::parse("[\x83\x41]\nk=a\n[\x83\x61]\nk=b\n");
  EXPECT_TRUE(ini.problems().empty());
  EXPECT_EQ(ini.value("\x83\x41", "K").value_or("?"), "a");
  EXPECT_EQ(ini.value("\x83\x61", "K").value_or("?"), "b");
}

TEST(IniFile, SettingAValueKeepsEveryOtherLineAsItStands) {
  const std::string before =
      "; kept comment\r[DB]\r# another\ralias = DEMO\rT1=X\r; after the keys\r\r"
      "[DB]\rAlias=REPEAT\rjunk line\r[Other]\rk=v";
  IniFile ini = IniFile::parse(before);
  ini.setValue("db", "ALIAS", "PG");
  ini.setValue("DB", "T2", "Y");
  ini.setValue("New", "k", "v");
  ini.setValue("New", "k", "w");
  EXPECT_EQ(ini.serialize(),
            "; kept comment\r[DB]\r# another\ralias = PG\rT1=X\rT2=Y\r; after the keys\r\r"
            "[DB]\rAlias=REPEAT\rjunk line\r[Other]\rk=v\r\r[New]\rk=w\r");
  EXPECT_EQ(ini.value("DB", "alias").value_or("?"), "PG");
}

TEST(IniFile, ALargeSectionFindsEveryKeyAndItsRepeats) {
  // Past a few keys a section is searched through an index; it must agree
  // with the entry-by-entry search of small sections.
  std::string text = "[BIG]\n";
  for (int i = 0; i < 40; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  text += "K3=again\n";
  IniFile ini = IniFile::parse(text);
  EXPECT_EQ(ini.value("big", "K0").value_or("?"), "0");
  EXPECT_EQ(ini.value("big", "K39").value_or("?"), "39");
  EXPECT_EQ(ini.value("big", "k3").value_or("?"), "again");
  ASSERT_EQ(ini.problems().size(), 1u);
  EXPECT_EQ(ini.problems()[0].firstLine, 5);
  ini.setValue("BIG", "k20", "changed");
  ini.setValue("BIG", "k40", "new");
  EXPECT_EQ(ini.value("BIG", "K20").value_or("?"), "changed");
  EXPECT_NE(ini.serialize().find("k20=changed\nk21=21\n"), std::string::npos);
  EXPECT_NE(ini.serialize().find("K3=again\nk40=new\n"), std::string::npos);
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

TEST(Settings, WriteGoesThroughSymbolicLinksToTheirTarget) {
  namespace fs = std::filesystem;
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  fs::create_directories(root / "real");
  const fs::path target = root / "real" / "FormMain.ini";
  {
    std::ofstream(target, std::ios::binary) << "; mine\r\n[DB]\r\nAlias=OLD\r\n";
  }
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("real/FormMain.ini", root / "middle.ini");  // relative
  fs::create_symlink(root / "middle.ini", root / "link.ini");     // a chain of two
  ASSERT_TRUE(Qz_IniWrite((root / "link.ini").string(), "DB", "Alias", "NEW"));
  EXPECT_TRUE(fs::is_symlink(root / "link.ini"));
  EXPECT_TRUE(fs::is_symlink(root / "middle.ini"));
  EXPECT_EQ(readAll(target.string()), "; mine\r\n[DB]\r\nAlias=NEW\r\n");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  // A link to a file not there yet creates it.
  fs::create_symlink("real/later.ini", root / "dangling.ini");
  ASSERT_TRUE(Qz_IniWrite((root / "dangling.ini").string(), "DB", "T1", "X"));
  EXPECT_TRUE(fs::is_symlink(root / "dangling.ini"));
  EXPECT_EQ(readAll((root / "real" / "later.ini").string()), "[DB]\r\nT1=X\r\n");
  // Nothing but the two settings files in the target's folder.
  int files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(root / "real")) ++files;
  EXPECT_EQ(files, 2);
  // A loop of links is refused.
  fs::create_symlink("loop2.ini", root / "loop1.ini");
  fs::create_symlink("loop1.ini", root / "loop2.ini");
  EXPECT_FALSE(Qz_IniWrite((root / "loop1.ini").string(), "DB", "T1", "X"));
}

TEST(Settings, AFailedWriteLeavesTheOldFileWhole) {
  QTemporaryDir dir;
  const std::string file = dir.filePath("FormMain.ini").toStdString();
  const std::string before = "[DB]\r\nAlias=KEEP\r\n";
  std::ofstream(file, std::ios::binary) << before;
  // A child process that may write no more than 16 bytes to any file.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{16, 16};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(Qz_IniWrite(file, "DB", "T1", std::string(200, 'x')) ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write was reported as done";
  EXPECT_EQ(readAll(file), before);
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path().toStdString())) ++files;
  EXPECT_EQ(files, 1);
}

TEST(Settings, AFileThatCannotBeReadIsNotReplaced) {
  QTemporaryDir dir;
  const std::string file = dir.filePath("FormMain.ini").toStdString();
  const std::string before = "[DB]\r\nAlias=KEEP\r\n";
  std::ofstream(file, std::ios::binary) << before;
  std::filesystem::permissions(file, std::filesystem::perms::none);
  // The folder is open to all, so only the unreadable file stops a write.
  std::filesystem::permissions(dir.path().toStdString(), std::filesystem::perms::all);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Root reads every file: try it as an ordinary user ("nobody").
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    _exit(Qz_IniWrite(file, "DB", "T1", "X") ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the unreadable file was replaced";
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  EXPECT_EQ(readAll(file), before);
}

TEST(Settings, AUtf8FileIsReadAndWrittenAsUtf8) {
  QTemporaryDir dir;
  const std::string file = dir.filePath("FormMain.ini").toStdString();
  std::ofstream(file, std::ios::binary) << "\xEF\xBB\xBF[DB]\nAlias=\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\n";
  EXPECT_EQ(Qz_IniRead(file, "DB", "Alias", ""), "\x83\x65\x83\x58\x83\x67");  // テスト in CP932
  ASSERT_TRUE(Qz_IniWrite(file, "DB", "T1", "\x8e\xd0\x88\xf5"));                // 社員 in CP932
  EXPECT_EQ(readAll(file), "\xEF\xBB\xBF[DB]\nAlias=\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\n"
                           "T1=\xE7\xA4\xBE\xE5\x93\xA1\n");
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

// Every character of code page 932, converted both ways inside a text,
// agrees with iconv converting the same text on its own (the conversions
// go through tables made from it).
TEST(CodePage, EveryCharacterConvertsAsIconvConvertsIt) {
  const auto viaIconv = [](const char* to, const char* from, const std::string& in, std::string& out) {
    const iconv_t cd = iconv_open(to, from);
    out.assign(in.size() * 2 + 8, '\0');
    auto* src = const_cast<char*>(in.data());
    char* dst = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    const bool ok = iconv(cd, &src, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return ok;
  };
  int pairs = 0;
  for (int lead = 0x80; lead <= 0xFF; ++lead)
    for (int trail = 0x00; trail <= 0xFF; ++trail) {
      const std::string bytes = std::string("A") + char(lead) + char(trail) + "\xB1z";
      std::string utf16;
      if (!viaIconv("UTF-16LE", "CP932", bytes, utf16)) continue;
      ++pairs;
      const QString want(reinterpret_cast<const QChar*>(utf16.data()), static_cast<qsizetype>(utf16.size() / 2));
      int bad = -2;
      ASSERT_EQ(korvel::fromCp932(bytes, &bad), want) << lead << " " << trail;
      EXPECT_EQ(bad, -1);
      std::string utf8;  // the byte copy's straight conversion agrees
      ASSERT_TRUE(korvel::cp932::decodeToUtf8(bytes, utf8)) << lead << " " << trail;
      ASSERT_EQ(utf8, want.toUtf8().toStdString()) << lead << " " << trail;
    }
  EXPECT_GT(pairs, 7000);
  int encodable = 0;
  for (char16_t c = 0x80; c < 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const QString text = QStringLiteral("a") + QChar(c) + QStringLiteral("ｱ");
    const std::string utf16(reinterpret_cast<const char*>(text.utf16()), static_cast<size_t>(text.size()) * 2);
    std::string want, got;
    int bad = -2;
    const bool expected = viaIconv("CP932", "UTF-16LE", utf16, want);
    ASSERT_EQ(korvel::tryToCp932(text, got, &bad), expected) << int(c);
    std::string straight;
    ASSERT_EQ(korvel::cp932::encodeFromUtf8(text.toUtf8().toStdString(), straight), expected) << int(c);
    if (expected) {
      EXPECT_EQ(straight, want) << int(c);
    }
    if (expected) {
      ++encodable;
      EXPECT_EQ(got, want) << int(c);
    } else {
      EXPECT_EQ(bad, 1) << int(c);
    }
  }
  EXPECT_GT(encodable, 7000);
}

// The straight conversions refuse what the tables cannot answer for (the
// caller then converts through a QString and words the error).
TEST(CodePage, StraightUtf8ConversionsRefuseWhatTheyCannotConvert) {
  std::string out;
  EXPECT_FALSE(korvel::cp932::decodeToUtf8("A\x81\x20", out));  // lead byte without a trail
  EXPECT_FALSE(korvel::cp932::decodeToUtf8("A\x82", out));       // cut off
  for (const char* bad : {"\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF0\x9F\x98\x80", "\xE3\x81", "\x80", "a\xC3"}) {
    out.clear();
    EXPECT_FALSE(korvel::cp932::encodeFromUtf8(bad, out)) << bad;
  }
  out.clear();
  EXPECT_FALSE(korvel::cp932::encodeFromUtf8("\xC3\xA9", out));  // é has no CP932 form
}

}  // namespace
