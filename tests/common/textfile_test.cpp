#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>
#include <unistd.h>

#include "common/textfile.h"
#include "sjis.h"
#include "ui/scriptedprompt.h"

namespace {

class TextFileTest : public ::testing::Test {
 protected:
  // Writes bytes to a file in the temporary folder; returns its CP932 name.
  std::string write(const std::string& bytes, const QString& name = "t.txt") {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return korvel::toCp932(path);
  }

  // Every line the reader returns, then the final result code.
  std::vector<std::string> readAll(const std::string& name, int* last = nullptr) {
    Qz_FTRecord f;
    f.fileName = name;
    std::vector<std::string> lines;
    EXPECT_EQ(Qz_FTOpen(f), 0);
    int r = 0;
    while ((r = Qz_FTRead(f)) == 0) {
      EXPECT_EQ(f.status, 0);
      lines.push_back(f.line);
    }
    if (last) *last = r;
    EXPECT_EQ(f.status, -3);
    EXPECT_EQ(Qz_FTRead(f), -2);  // stays at the end
    EXPECT_EQ(Qz_FTClose(f), 0);
    EXPECT_EQ(f.status, 0);
    return lines;
  }

  using Lines = std::vector<std::string>;
  QTemporaryDir dir;
  korvel::ScriptedPrompt prompt;
};

}  // namespace

TEST_F(TextFileTest, LineBreakKinds) {
  int last = 0;
  EXPECT_EQ(readAll(write("a\r\nb\r\n"), &last), (Lines{"a", "b"}));
  EXPECT_EQ(last, -2);
  EXPECT_EQ(readAll(write("a\nb\n")), (Lines{"a", "b"}));
  EXPECT_EQ(readAll(write("a\rb\r")), (Lines{"a", "b"}));
  EXPECT_EQ(readAll(write("a\r\n\r\nb\r\n")), (Lines{"a", "", "b"}));
  EXPECT_EQ(readAll(write("a\n\nb\r\rc\n\r")), (Lines{"a", "", "b", "", "c", ""}));
  EXPECT_EQ(prompt.messageCount(), 0);
}

TEST_F(TextFileTest, LastLineWithoutBreakIsReturned) {
  EXPECT_EQ(readAll(write("a\r\nb")), (Lines{"a", "b"}));
  EXPECT_EQ(readAll(write("only")), (Lines{"only"}));
  EXPECT_EQ(readAll(write("")), Lines{});
  EXPECT_EQ(readAll(write("\n")), (Lines{""}));
}

TEST_F(TextFileTest, BytesAreKeptAsTheyAre) {
  const std::string jp = sj("表示\tソ");  // trail bytes 0x5C
  EXPECT_EQ(readAll(write(jp + "\r\n" + std::string("x\0y", 3) + "\n")),
            (Lines{jp, std::string("x\0y", 3)}));
}

TEST_F(TextFileTest, BlockBoundaries) {
  const std::string first(1023, 'a');
  // CR is byte 1024, its LF the first byte of the next block.
  EXPECT_EQ(readAll(write(first + "\r\nnext\r\n")), (Lines{first, "next"}));
  // CR alone at byte 1024.
  EXPECT_EQ(readAll(write(first + "\rnext")), (Lines{first, "next"}));
  // CR at 1024 and an empty line after the pair.
  EXPECT_EQ(readAll(write(first + "\r\n\r\nz")), (Lines{first, "", "z"}));
  // LF at byte 1024.
  EXPECT_EQ(readAll(write(first + "\nnext")), (Lines{first, "next"}));
  // Exactly one block, no line break; then exactly one block ending in CR LF.
  EXPECT_EQ(readAll(write(std::string(1024, 'b'))), (Lines{std::string(1024, 'b')}));
  EXPECT_EQ(readAll(write(std::string(1022, 'c') + "\r\n")), (Lines{std::string(1022, 'c')}));
  // CR LF split across two reads of the file.
  const std::string chunk(Qz_FTRecord::kReadSize - 1, 'e');
  EXPECT_EQ(readAll(write(chunk + "\r\nx\r\n")), (Lines{chunk, "x"}));
  EXPECT_EQ(readAll(write(chunk + "\rx")), (Lines{chunk, "x"}));
  // A line longer than several blocks.
  const std::string longLine(5000, 'd');
  EXPECT_EQ(readAll(write(longLine + "\r\n" + longLine)), (Lines{longLine, longLine}));
}

TEST_F(TextFileTest, MissingFileIsReported) {
  Qz_FTRecord f;
  f.fileName = korvel::toCp932(dir.filePath("missing.sql"));
  EXPECT_EQ(Qz_FTOpen(f), -1);
  EXPECT_EQ(f.status, -1);
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_EQ(prompt.records[0].icon, korvel::PromptIcon::Error);
  EXPECT_EQ(prompt.records[0].buttons, korvel::PromptYes);
  EXPECT_EQ(prompt.lastMessage(),
            QString::fromUtf8("*E:ファイルが存在しません。(Qz_FTOpen:") +
                dir.filePath("missing.sql") + ")");
  EXPECT_EQ(Qz_FTRead(f), -1);  // never opened
}

TEST_F(TextFileTest, RelativeAndEmptyNamesAndFolders) {
  Qz_FTRecord f;
  EXPECT_EQ(Qz_FTOpen(f), -1);  // empty name
  f.fileName = korvel::toCp932(dir.path());  // a folder is not a text file
  EXPECT_EQ(Qz_FTOpen(f), -1);
  EXPECT_EQ(prompt.messageCount(), 2);
  // A relative name is shown with the current directory in front.
  const QString old = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));
  write("x\n", "rel.txt");
  f.fileName = "rel.txt";
  EXPECT_EQ(Qz_FTOpen(f), 0);
  EXPECT_EQ(Qz_FTRead(f), 0);
  EXPECT_EQ(f.line, "x");
  Qz_FTClose(f);
  f.fileName = "nope.txt";
  EXPECT_EQ(Qz_FTOpen(f), -1);
  EXPECT_TRUE(prompt.lastMessage().contains(QDir(dir.path()).canonicalPath() + "/nope.txt") ||
              prompt.lastMessage().contains(dir.path() + "/nope.txt"));
  QDir::setCurrent(old);
}

TEST_F(TextFileTest, JapaneseFileName) {
  const std::string name = write("a\n", QString::fromUtf8("表示.sql"));
  EXPECT_EQ(readAll(name), (Lines{"a"}));
}

TEST_F(TextFileTest, UnreadableFileIsReported) {
  if (geteuid() == 0) GTEST_SKIP() << "root can read any file";
  const std::string name = write("a\n");
  QFile::setPermissions(korvel::fromCp932(name), QFileDevice::WriteOwner);
  Qz_FTRecord f;
  f.fileName = name;
  EXPECT_EQ(Qz_FTOpen(f), -1);
  EXPECT_TRUE(prompt.lastMessage().startsWith(QString::fromUtf8("*E:ファイルを開けません。")));
}

TEST_F(TextFileTest, ReopenAndCloseTwice) {
  Qz_FTRecord f;
  f.fileName = write("1\n2\n");
  EXPECT_EQ(Qz_FTOpen(f), 0);
  EXPECT_EQ(Qz_FTRead(f), 0);
  EXPECT_EQ(Qz_FTOpen(f), 0);  // starts again from the top
  EXPECT_EQ(Qz_FTRead(f), 0);
  EXPECT_EQ(f.line, "1");
  EXPECT_EQ(Qz_FTClose(f), 0);
  EXPECT_EQ(Qz_FTClose(f), 0);
  EXPECT_EQ(Qz_FTRead(f), -1);
  EXPECT_EQ(prompt.messageCount(), 0);
}

namespace {

// Lines as the reader must split them, worked out byte by byte.
std::vector<std::string> expectedLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') {
      line += bytes[i];
      open = true;
      continue;
    }
    lines.push_back(line);
    line.clear();
    open = false;
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  if (open) lines.push_back(line);
  return lines;
}

}  // namespace

TEST_F(TextFileTest, BreaksAtScanAndReadBoundaries) {
  const size_t read = Qz_FTRecord::kReadSize;
  // A CR LF pair that ends a read exactly: an LF opening the next read is
  // a line break of its own (an empty line), not part of the pair.
  const std::string full(read - 2, 'f');
  EXPECT_EQ(readAll(write(full + "\r\n\nx")), (Lines{full, "", "x"}));
  EXPECT_EQ(readAll(write(full + "\r\n\r\n")), (Lines{full, ""}));
  // CR LF straddling the 64-byte scan windows and the end of the first read.
  for (const size_t crAt : {size_t{63}, size_t{64}, size_t{127}, read - 65, read - 1, read}) {
    const std::string head(crAt, 'h');
    EXPECT_EQ(readAll(write(head + "\r\n" + "t\n")), (Lines{head, "t"})) << crAt;
    EXPECT_EQ(readAll(write(head + "\r\r\n\n")), (Lines{head, "", ""})) << crAt;
  }
  // A file that is exactly one read long, then one that ends with a lone CR there.
  EXPECT_EQ(readAll(write(std::string(read, 'r'))), (Lines{std::string(read, 'r')}));
  EXPECT_EQ(readAll(write(std::string(read - 1, 'r') + "\r")),
            (Lines{std::string(read - 1, 'r')}));
}

TEST_F(TextFileTest, RandomFilesOverSeveralReadsMatchAByteByByteSplit) {
  std::mt19937 rng(7);
  // Dense breaks, zero bytes and lines from empty to longer than a read.
  const std::string alphabet("\r\n\r\nab\0\x82\xa0", 9);
  for (int round = 0; round < 6; ++round) {
    std::string bytes;
    const size_t size = Qz_FTRecord::kReadSize * 3 + rng() % 5000;
    while (bytes.size() < size) {
      if (rng() % 40 == 0) bytes.append(rng() % (Qz_FTRecord::kReadSize + 300), 'L');
      else bytes += alphabet[rng() % alphabet.size()];
    }
    EXPECT_EQ(readAll(write(bytes)), expectedLines(bytes)) << "round " << round;
  }
}
