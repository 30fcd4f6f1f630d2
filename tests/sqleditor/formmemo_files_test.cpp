#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextDocument>

#include "formmemo_fixture.h"

namespace {

class FormMemoFilesTest : public FormMemoTest {
 protected:
  QString path(const QString& name) const { return dir.filePath(name); }
  static QByteArray bytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  static void writeBytes(const QString& file, const QByteArray& data) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
  }
  void ctrlS() {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier, QStringLiteral("\x13"));
    QApplication::sendEvent(form->Memo1, &key);
  }
  QTemporaryDir dir;
};

// "日本" in CP932.
const QByteArray kNihon("\x93\xfa\x96\x7b");

TEST_F(FormMemoFilesTest, WriteWithAliasLineMarksEmptyLinesAndReadsBackUnchanged) {
  form->EditAlias->setText(QStringLiteral("ORA1"));
  setMemo(QStringLiteral("SELECT 日本\n\nFROM T"), 0);
  prompt.fileAnswers.push_back(path("a.sql"));
  form->Write1->trigger();
  EXPECT_EQ(bytes(path("a.sql")),
            QByteArray("//[DataSource]ORA1\r\nSELECT ") + kNihon + "\r\n---\r\nFROM T\r\n");

  form->Memo1->clear();
  prompt.fileAnswers.push_back(path("a.sql"));
  form->Read1->trigger();
  EXPECT_EQ(memo(), QStringLiteral("//[DataSource]ORA1\nSELECT 日本\n---\nFROM T"));
  EXPECT_EQ(prompt.messageCount(), 0);
}

TEST_F(FormMemoFilesTest, WriteWithoutAliasLineKeepsTheLinesAsTheyAre) {
  form->CheckBoxAlias->setChecked(false);
  setMemo(QStringLiteral("SELECT *\n\nFROM T"), 0);
  prompt.fileAnswers.push_back(path("b.sql"));
  form->WriteTop->trigger();
  EXPECT_EQ(bytes(path("b.sql")), QByteArray("SELECT *\r\n\r\nFROM T\r\n"));
  setMemo(QStringLiteral("other"), 0);
  prompt.fileAnswers.push_back(path("b.sql"));
  form->ReadTop->trigger();
  EXPECT_EQ(memo(), QStringLiteral("SELECT *\n\nFROM T"));
}

TEST_F(FormMemoFilesTest, CancelledDialogsChangeNothing) {
  setMemo(QStringLiteral("keep"), 0);
  form->Read1->trigger();   // no answer scripted: cancelled
  form->Write1->trigger();
  EXPECT_EQ(memo(), QStringLiteral("keep"));
  EXPECT_EQ(prompt.messageCount(), 0);
}

TEST_F(FormMemoFilesTest, DamagedBytesLoadTheRestAndNameTheLine) {
  writeBytes(path("bad.sql"), QByteArray("SELECT\r\nA\x81\x20" "B\nC ") + kNihon + "\r\n");
  prompt.fileAnswers.push_back(path("bad.sql"));
  form->Read1->trigger();
  const QStringList lines = memo().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[0], QStringLiteral("SELECT"));
  EXPECT_TRUE(lines[1].startsWith(QLatin1Char('A')));
  EXPECT_TRUE(lines[1].endsWith(QLatin1Char('B')));
  EXPECT_TRUE(lines[1].contains(QChar(0xFFFD)));
  EXPECT_EQ(lines[2], QStringLiteral("C 日本"));
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().contains(QStringLiteral(" 2 行目")));
}

TEST_F(FormMemoFilesTest, AnyLineBreakIsReadAndALastLineNeedsNone) {
  writeBytes(path("breaks.sql"), "A\rB\r\nC\nD");
  prompt.fileAnswers.push_back(path("breaks.sql"));
  form->Read1->trigger();
  EXPECT_EQ(memo(), QStringLiteral("A\nB\nC\nD"));
}

TEST_F(FormMemoFilesTest, AFinalEmptyLineSurvivesReadAndWrite) {
  writeBytes(path("e.sql"), "SELECT 1\r\n\r\n");
  prompt.fileAnswers.push_back(path("e.sql"));
  form->Read1->trigger();
  form->CheckBoxAlias->setChecked(false);
  prompt.fileAnswers.push_back(path("e2.sql"));
  form->Write1->trigger();
  EXPECT_EQ(bytes(path("e2.sql")), QByteArray("SELECT 1\r\n\r\n"));

  form->CheckBoxAlias->setChecked(true);
  form->EditAlias->setText(QStringLiteral("A"));
  prompt.fileAnswers.push_back(path("e3.sql"));
  form->Write1->trigger();
  EXPECT_EQ(bytes(path("e3.sql")), QByteArray("//[DataSource]A\r\nSELECT 1\r\n---\r\n"));
  EXPECT_EQ(prompt.messageCount(), 0);
}

TEST_F(FormMemoFilesTest, ReadAndWriteCyclesKeepOneAliasLineWithTheCurrentAlias) {
  form->EditAlias->setText(QStringLiteral("ORA1"));
  setMemo(QStringLiteral("SELECT *\nFROM T"), 0);
  for (const char* alias : {"ORA1", "ORA2", "ORA2"}) {
    form->EditAlias->setText(QString::fromLatin1(alias));
    prompt.fileAnswers.push_back(path("cycle.sql"));
    form->Write1->trigger();
    EXPECT_EQ(bytes(path("cycle.sql")),
              QByteArray("//[DataSource]") + alias + "\r\nSELECT *\r\nFROM T\r\n");
    prompt.fileAnswers.push_back(path("cycle.sql"));
    form->Read1->trigger();
  }
  // A header typed in another case is the same header.
  setMemo(QStringLiteral("//[DATASOURCE]OLD\nSELECT 1"), 0);
  prompt.fileAnswers.push_back(path("cycle.sql"));
  form->Write1->trigger();
  EXPECT_EQ(bytes(path("cycle.sql")), QByteArray("//[DataSource]ORA2\r\nSELECT 1\r\n"));
}

TEST_F(FormMemoFilesTest, NulBytesAreReportedAsDamagedAndNeverReachTheMemo) {
  writeBytes(path("nul.sql"), QByteArray("SELECT 1\r\nWHERE A = 'x\0y'\r\n\0\r\n", 30));
  prompt.fileAnswers.push_back(path("nul.sql"));
  form->Read1->trigger();
  EXPECT_FALSE(memo().contains(QChar(0)));
  EXPECT_EQ(memo(), QStringLiteral("SELECT 1\nWHERE A = 'x\uFFFDy'\n\uFFFD"));
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().contains(QStringLiteral(" 2,3 行目"))) << prompt.lastMessage().toStdString();
}

TEST_F(FormMemoFilesTest, ALineWithoutACp932FormIsNeverWritten) {
  writeBytes(path("c.sql"), "old\r\n");
  setMemo(QStringLiteral("SELECT 1\nSELECT '\U0001F600'"), 0);
  prompt.fileAnswers.push_back(path("c.sql"));
  form->Write1->trigger();
  EXPECT_EQ(bytes(path("c.sql")), QByteArray("old\r\n"));
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().contains(QStringLiteral("2行目")));
}

TEST_F(FormMemoFilesTest, MissingFileIsReported) {
  prompt.fileAnswers.push_back(path("none.sql"));
  setMemo(QStringLiteral("keep"), 0);
  form->Read1->trigger();
  EXPECT_EQ(memo(), QStringLiteral("keep"));
  EXPECT_EQ(prompt.messageCount(), 1);
}

TEST_F(FormMemoFilesTest, QuickSaveAsksFirstThenWritesStatementLinesDirectly) {
  form->EditAlias->setText(QStringLiteral("ORA1"));
  setMemo(QStringLiteral("SELECT 1"), 0);
  prompt.fileAnswers.push_back(path("q.sql"));
  ctrlS();  // no file chosen yet: the save dialog
  EXPECT_EQ(prompt.records.size(), 1);
  EXPECT_EQ(bytes(path("q.sql")), QByteArray("//[DataSource]ORA1\r\nSELECT 1\r\n"));
  EXPECT_FALSE(form->Memo1->document()->isUndoAvailable());

  form->Memo1->appendPlainText(QStringLiteral("\nFROM T"));
  ctrlS();  // the chosen file exists: written at once, without the alias line
  EXPECT_EQ(prompt.records.size(), 1);
  EXPECT_EQ(bytes(path("q.sql")), QByteArray("SELECT 1\r\n\r\nFROM T\r\n"));
  EXPECT_FALSE(form->Memo1->document()->isUndoAvailable());

  QFile::remove(path("q.sql"));
  ctrlS();  // the file is gone: ask again (cancelled here, nothing written)
  EXPECT_EQ(prompt.records.size(), 2);
  EXPECT_FALSE(QFile::exists(path("q.sql")));
}

}  // namespace
