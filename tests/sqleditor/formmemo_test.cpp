#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <functional>

#include "common/datetime.h"
#include "formmemo_fixture.h"
#include "sqleditor/finddialog.h"

namespace {

TEST_F(FormMemoTest, CaptionCarriesTheVersion) {
  EXPECT_EQ(form->windowTitle(), QStringLiteral("SQL文編集 V0.984A"));
}

TEST_F(FormMemoTest, EveryInsertionButtonInsertsItsTextAtTheCaret) {
  EditorTableName = QStringLiteral("EMP");
  const std::pair<QToolButton*, QString> cases[] = {
      {form->SpeedButton9, "SELECT "},        {form->SpeedButton18, " * "},
      {form->SpeedButton12, "UPDATE  SET "},  {form->SpeedButton13, "INSERT INTO "},
      {form->SpeedButton16, " ) VALUES ( "},  {form->SpeedButton10, " FROM "},
      {form->SpeedButton20, " EMP "},         {form->SpeedButton11, " WHERE "},
      {form->SpeedButton14, " BETWEEN "},     {form->SpeedButton17, " AND "},
      {form->SpeedButton21, " OR "},          {form->SpeedButton22, " NOT "},
  };
  for (const auto& [button, text] : cases) {
    setMemo(QStringLiteral("ab\ncd"), 4);  // between c and d
    button->click();
    EXPECT_EQ(memo(), QStringLiteral("ab\nc") + text + QStringLiteral("d")) << button->text().toStdString();
    EXPECT_EQ(caret(), 4 + text.size()) << button->text().toStdString();
  }
}

TEST_F(FormMemoTest, InsertionGoesInFrontOfASelectionAndKeepsIt) {
  setMemo(QStringLiteral("WHERE X"), 0);
  QTextCursor cursor = form->Memo1->textCursor();
  cursor.setPosition(6);
  cursor.setPosition(7, QTextCursor::KeepAnchor);  // "X" selected
  form->Memo1->setTextCursor(cursor);
  form->SpeedButton22->click();
  EXPECT_EQ(memo(), QStringLiteral("WHERE  NOT X"));
  EXPECT_EQ(caret(), 11);
  EXPECT_FALSE(form->Memo1->textCursor().hasSelection());
}

TEST_F(FormMemoTest, DateButtonsWriteOracleOrParadoxForms) {
  korvel::ScopedNow clock(korvel::encodeDate(2024, 4, 1) + korvel::encodeTime(9, 5, 7, 0));
  setMemo(QString(), 0);
  form->SpeedButton15->click();
  EXPECT_EQ(memo(), QStringLiteral(" TO_DATE( '2024/04/01','YYYY/MM/DD' )"));
  setMemo(QString(), 0);
  form->SpeedButton1->click();
  EXPECT_EQ(memo(), QStringLiteral(" TO_DATE( '2024/04/01 09:05:07','YYYY/MM/DD HH24:MI:SS' )"));

  form->CheckBoxParadox->setChecked(true);
  setMemo(QString(), 0);
  form->SpeedButton15->click();
  EXPECT_EQ(memo(), QStringLiteral("CAST( '2024/04/01' AS DATE )"));
  setMemo(QString(), 0);
  form->SpeedButton1->click();
  EXPECT_EQ(memo(), QStringLiteral("CAST( '2024/04/01 09:05:07' AS DATE )"));
}

TEST_F(FormMemoTest, SixStoresKeepTheLastFiveNewestFirst) {
  for (int i = 1; i <= 6; ++i) {
    setMemo(QStringLiteral("S%1").arg(i), 0);
    form->SpeedButton3->click();
  }
  for (int slot = 1; slot <= 5; ++slot) {
    form->SlotButtons[slot - 1]->click();
    EXPECT_EQ(memo(), QStringLiteral("S%1").arg(7 - slot));
  }
}

TEST_F(FormMemoTest, OnlyOkTurnsTheResultToOk) {
  form->show();
  EXPECT_EQ(EditorResult, QStringLiteral("ERROR"));
  form->SpeedButton2->click();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(EditorResult, QStringLiteral("ERROR"));

  form->show();
  form->Exit1->trigger();
  EXPECT_EQ(EditorResult, QStringLiteral("ERROR"));

  form->show();
  form->close();
  EXPECT_EQ(EditorResult, QStringLiteral("ERROR"));

  form->show();
  form->BitBtn1->click();
  EXPECT_EQ(EditorResult, QStringLiteral("OK"));
  EXPECT_EQ(form->result(), QDialog::Accepted);

  form->show();  // shown again: back to "ERROR"
  EXPECT_EQ(EditorResult, QStringLiteral("ERROR"));
  form->hide();
}

// The date routines behind "解析" and the Paradox date buttons set EditorResult
// to "OK" when they read a date; closing without OK must still say "ERROR".
TEST_F(FormMemoTest, DateRoutinesNeverTurnACancelIntoOk) {
  const std::pair<const char*, std::function<void()>> steps[] = {
      {"解析", [&] {
         setMemo(QStringLiteral("'WHERE D < ' + Qz_OraSqlAddSepa(CnsOraDate, '2024/04/01')"), 0);
         form->SpeedButton23->click();
       }},
      {"TO_DATE", [&] { form->SpeedButton15->click(); }},
      {"TO_DTIME", [&] { form->SpeedButton1->click(); }},
  };
  const std::pair<const char*, std::function<void()>> closings[] = {
      {"CANCEL", [&] { form->SpeedButton2->click(); }},
      {"Exit", [&] { form->Exit1->trigger(); }},
      {"close box", [&] { form->close(); }},
      {"Escape", [&] {
         QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
         QApplication::sendEvent(form.get(), &escape);
       }},
  };
  form->CheckBoxParadox->setChecked(true);
  for (const auto& [step, doStep] : steps) {
    for (const auto& [closing, close] : closings) {
      form->show();
      doStep();
      ASSERT_EQ(EditorResult, QStringLiteral("OK")) << step;  // the parser's own status
      close();
      EXPECT_FALSE(form->isVisible()) << step << " / " << closing;
      EXPECT_EQ(form->result(), QDialog::Rejected) << step << " / " << closing;
      EXPECT_EQ(EditorResult, QStringLiteral("ERROR")) << step << " / " << closing;
    }
  }
}

TEST_F(FormMemoTest, ShownThroughThePromptItHandsBackItsStatement) {
  prompt.onModal = [](QWidget* window) {
    auto* editor = static_cast<TFormMemo*>(window);
    editor->show();
    editor->SpeedButton9->click();
    editor->BitBtn1->click();
    return editor->result();
  };
  EditorResult.clear();
  EXPECT_EQ(korvel::prompt().showModal(form.get()), QDialog::Accepted);
  EXPECT_EQ(EditorResult, QStringLiteral("OK"));
  EXPECT_EQ(memo(), QStringLiteral("SELECT "));
}

TEST_F(FormMemoTest, ClearEmptiesTheMemo) {
  setMemo(QStringLiteral("SELECT 1"), 3);
  form->SpeedButton19->click();
  EXPECT_TRUE(memo().isEmpty());
}

TEST_F(FormMemoTest, SelectAndInsertTextsGoToTheClipboard) {
  form->ComboBoxItem->addItems({QStringLiteral("A"), QStringLiteral("B")});
  EditorTableName = QStringLiteral("EMP");
  form->BitBtnMkSel->click();
  EXPECT_EQ(clipboard(), QStringLiteral("SELECT A,B FROM EMP"));
  form->BitBtnMkIns->click();
  EXPECT_EQ(clipboard(), QStringLiteral("INSERT INTO ( A,B ) SELECT A,B FROM TMP"));
}

TEST_F(FormMemoTest, CopyTakesTheWholeMemoAndPasteInsertsAtTheCaret) {
  setMemo(QStringLiteral("SELECT *\nFROM 社員"), 2);
  form->BitBtn_Copy->click();
  EXPECT_EQ(clipboard(), QStringLiteral("SELECT *\nFROM 社員"));

  QApplication::clipboard()->setText(QStringLiteral("XY"));
  setMemo(QStringLiteral("ab"), 1);
  form->BitBtnPast->click();
  EXPECT_EQ(memo(), QStringLiteral("aXYb"));
}

TEST_F(FormMemoTest, DoubleClickOnTheColumnListInsertsNameAndComma) {
  form->ComboBoxItem->addItems({QStringLiteral("EMPNO"), QStringLiteral("ENAME")});
  form->ComboBoxItem->setCurrentIndex(1);
  setMemo(QStringLiteral("SELECT "), 7);
  QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form->ComboBoxItem->lineEdit(), &click);
  EXPECT_EQ(memo(), QStringLiteral("SELECT ENAME,"));
}

TEST_F(FormMemoTest, FindPutsTheCaretOnTheFirstMatchFromTheTop) {
  setMemo(QStringLiteral("select a\n日本 from Emp\nwhere emp = 1"), 30);
  form->FindDialog1->setFindText(QStringLiteral("EMP"));
  form->FindDialog1->Execute();
  form->FindDialog1Find();
  // Line 2 starts at 9; "日本 from " is 8 characters.
  EXPECT_EQ(caret(), 9 + 8);
  EXPECT_FALSE(form->FindDialog1->isVisible());

  setMemo(QStringLiteral("abc"), 1);
  form->FindDialog1->setFindText(QStringLiteral("zz"));
  form->FindDialog1Find();
  EXPECT_EQ(caret(), 1);  // no match: the caret stays
}

TEST_F(FormMemoTest, FindAndReplaceAroundCharactersWithoutACp932Form) {
  setMemo(QStringLiteral("\U0001F600 emp\nemp"), 0);
  form->FindDialog1->setFindText(QStringLiteral("EMP"));
  form->FindDialog1Find();
  EXPECT_EQ(caret(), 3);  // the emoji is two UTF-16 units, then a blank

  form->ReplaceDialog1->setFindText(QStringLiteral("emp"));
  form->ReplaceDialog1->setReplaceText(QStringLiteral("DEPT"));
  form->ReplaceDialog1Replace();
  EXPECT_EQ(memo(), QStringLiteral("\U0001F600 emp\nDEPT"));  // line 1 left as it was
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().contains(QStringLiteral("1 行目")));
}

TEST_F(FormMemoTest, ReplaceWhoseReplacementHoldsTheFindTextReplacesEachOnce) {
  setMemo(QStringLiteral("a a\nb\na"), 0);
  form->ReplaceDialog1->setFindText(QStringLiteral("a"));
  form->ReplaceDialog1->setReplaceText(QStringLiteral("aa"));
  form->ReplaceDialog1Replace();
  EXPECT_EQ(memo(), QStringLiteral("aa aa\nb\naa"));
  form->Memo1->undo();  // one undoable step
  EXPECT_EQ(memo(), QStringLiteral("a a\nb\na"));
}

TEST_F(FormMemoTest, ReplaceReachesEveryLineOfALongMemo) {
  QStringList lines;
  for (int i = 0; i < 150; ++i) lines.append(QStringLiteral("x%1 FROM t").arg(i));
  lines.insert(0, QStringLiteral("From t"));  // found ignoring case, not replaced
  setMemo(lines.join(QLatin1Char('\n')), 0);
  form->ReplaceDialog1->setFindText(QStringLiteral("FROM"));
  form->ReplaceDialog1->setReplaceText(QStringLiteral("FROM X,"));
  form->ReplaceDialog1Replace();
  const QStringList out = memo().split(QLatin1Char('\n'));
  ASSERT_EQ(out.size(), 151);
  EXPECT_EQ(out[0], QStringLiteral("From t"));
  EXPECT_EQ(out[1], QStringLiteral("x0 FROM X, t"));
  EXPECT_EQ(out[150], QStringLiteral("x149 FROM X, t"));
}

TEST_F(FormMemoTest, AnalysisReplacesTheMemoAndTakesHeaderValues) {
  setMemo(QStringLiteral("//[DataSource]ora1\n//[TableName]emp\n'select * from emp' + // all\n"
                         "'where id = ' + X;"),
          0);
  form->SpeedButton23->click();
  EXPECT_EQ(form->EditAlias->text(), QStringLiteral("ORA1"));
  EXPECT_EQ(EditorTableName, QStringLiteral("EMP"));
  EXPECT_EQ(memo(), QStringLiteral(" SELECT * FROM EMP\n WHERE ID =  X"));
}

TEST_F(FormMemoTest, AnalysisOfAnUnreadableTimeNamesTheLineAndKeepsTheMemo) {
  const QString source = QStringLiteral(
      "//[DataSource]ora2\n'SELECT 1'\n'WHERE T = ' + Qz_OraSqlAddSepa(CnsOraTime, '25:99')");
  for (const QString& text :
       {source, QStringLiteral("'WHERE T = ' + "
                               "Qz_ParaSqlAddSepa(CnsOraDateTime, '2024/04/01 24:00:00')")}) {
    form->EditAlias->setText(QStringLiteral("ORA1"));
    setMemo(text, 0);
    prompt.clear();
    form->SpeedButton23->click();
    EXPECT_EQ(memo(), text);
    EXPECT_EQ(form->EditAlias->text(), QStringLiteral("ORA1"));
    ASSERT_EQ(prompt.messageCount(), 1);
    const QString line = text == source ? QStringLiteral("3行目") : QStringLiteral("1行目");
    EXPECT_TRUE(prompt.lastMessage().contains(line)) << prompt.lastMessage().toStdString();
  }
}

TEST_F(FormMemoTest, ReformatButtonHonoursTheCommaOption) {
  setMemo(QStringLiteral("SELECT A, B FROM T"), 0);
  form->SpeedButton25->click();
  EXPECT_EQ(memo(), QStringLiteral("SELECT A, B FROM T"));  // short: unchanged
  form->CheckBoxEdOp->setChecked(true);
  form->SpeedButton25->click();
  EXPECT_EQ(memo(), QStringLiteral("SELECT A,\n B \nFROM T"));
}

TEST_F(FormMemoTest, TextCommandsRefuseCharactersWithoutACp932Form) {
  setMemo(QStringLiteral("SELECT '\U0001F600'"), 0);
  form->SpeedButton25->click();
  EXPECT_EQ(memo(), QStringLiteral("SELECT '\U0001F600'"));
  EXPECT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().contains(QStringLiteral("1行目")));
}

}  // namespace
