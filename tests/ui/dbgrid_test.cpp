// The data grid over a table of 200,000 rows, on SQLite and PostgreSQL: the
// view holds a window of rows, the grid's scroll bar spans every row, and
// everything the user does speaks in rows of the whole table.

#include <QHeaderView>
#include <QItemSelectionModel>
#include <algorithm>
#include <QLineEdit>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>

#include "db/dataset.h"
#include "db/query.h"
#include "db/table.h"
#include "dbtestenv.h"
#include "ui/datasource.h"
#include "ui/dbgrid.h"
#include "ui/dbnavigator.h"
#include "ui/scriptedprompt.h"

namespace korvel::ui {
namespace {

using db::test::EngineFixture;

constexpr int kRows = 200000;

class GridTest : public EngineFixture, public ::testing::WithParamInterface<QString> {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    // A table of its own for each test: the tests may run side by side on
    // the one PostgreSQL server.
    const QString test = QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
    name = QStringLiteral("grid_%1").arg(qHash(test) % 1000000);
    if (GetParam() == u"PG") {
      if (db::test::pgConnectionString().isEmpty()) GTEST_SKIP() << "KORVEL_TEST_PG is not set";
      writeAliases(db::test::pgAliasSection(QStringLiteral("PG")));
      alias = QStringLiteral("PG");
      run("DROP TABLE IF EXISTS " + name);
      run("CREATE TABLE " + name + " (id INTEGER PRIMARY KEY, name VARCHAR(20))");
      run(QStringLiteral("INSERT INTO %1 SELECT i, 'n' || i FROM generate_series(1, %2) i").arg(name).arg(kRows));
    } else {
      alias = sqliteAlias(
          {"CREATE TABLE " + name + " (id INTEGER PRIMARY KEY, name VARCHAR(20))",
           QStringLiteral("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < %1) "
                          "INSERT INTO %2 SELECT i, 'n' || i FROM k")
               .arg(kRows)
               .arg(name)});
    }
    table.setDatabaseName(alias);
    table.setTableName(name);
    table.open();
    source.setDataSet(&table);
    grid = std::make_unique<DBGrid>();
    grid->resize(600, 400);
    grid->setDataSource(&source);
    grid->show();
    QCoreApplication::processEvents();
  }
  void TearDown() override {
    grid.reset();
    table.close();
    if (GetParam() == u"PG" && !db::test::pgConnectionString().isEmpty()) run("DROP TABLE IF EXISTS " + name);
    EngineFixture::TearDown();
  }

  void run(const QString& sql) {
    db::Query q;
    q.setDatabaseName(alias);
    q.setSql(sql);
    q.execSql();
  }
  QString stored(int id) {
    db::Query q;
    q.setDatabaseName(alias);
    q.setSql(QStringLiteral("SELECT name FROM %1 WHERE id = %2").arg(name).arg(id));
    q.open();
    return q.eof() ? QStringLiteral("(none)") : q.field(0).asString();
  }
  void waitForTheCount() {
    while (table.countingRows()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    QCoreApplication::processEvents();
  }
  // What the screen shows at a line: the text of the first column and the
  // row header, as the view itself reads them.
  QString shownId(int line) const {
    return grid->QTableView::model()->index(line, 0).data().toString();
  }
  QString shownNumber(int line) const {
    return grid->QTableView::model()->headerData(line, Qt::Vertical).toString();
  }
  int fullRows() const { return grid->viewport()->height() / grid->verticalHeader()->defaultSectionSize(); }
  bool onScreen(int row) const {
    const QRect rect = grid->visualRect(grid->model()->index(row, 0));
    return rect.isValid() && grid->viewport()->rect().contains(rect);
  }
  void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(grid.get(), static_cast<Qt::Key>(key), modifiers);
  }

  ScriptedPrompt prompt;
  QString alias;
  QString name;  // the table's
  db::Table table;
  DataSource source;
  std::unique_ptr<DBGrid> grid;
};

TEST_P(GridTest, TheThumbShowsTheRowsOfItsPlaceAndTheViewHoldsOnlyAScreenful) {
  waitForTheCount();
  QScrollBar* bar = grid->verticalScrollBar();
  EXPECT_EQ(grid->model()->rowCount(), kRows);
  EXPECT_EQ(bar->maximum(), kRows - fullRows());
  EXPECT_LE(grid->QTableView::model()->rowCount(), fullRows() + 1);

  bar->setValue(123456);
  EXPECT_EQ(grid->topRow(), 123456);
  EXPECT_EQ(grid->rowAt(1), 123456);
  EXPECT_EQ(shownId(0), "123457");
  EXPECT_EQ(shownNumber(0), "123457");
  EXPECT_EQ(shownId(3), "123460");

  bar->setValue(bar->maximum());
  EXPECT_TRUE(onScreen(kRows - 1));
  EXPECT_EQ(shownId(fullRows() - 1), QString::number(kRows));
  EXPECT_EQ(shownNumber(fullRows() - 1), QString::number(kRows));

  // The wheel moves the rows, not the current record.
  bar->setValue(1000);
  QWheelEvent wheel(QPointF(50, 50), grid->mapToGlobal(QPoint(50, 50)), {}, QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(grid->viewport(), &wheel);
  EXPECT_GT(grid->topRow(), 1000);
  EXPECT_EQ(table.recNo(), 0);
  EXPECT_FALSE(grid->QTableView::currentIndex().isValid());  // row 0 is scrolled away
  EXPECT_EQ(grid->currentIndex().row(), 0);
}

TEST_P(GridTest, KeysAndClicksMoveTheRecordOverTheWholeTable) {
  waitForTheCount();
  key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(table.recNo(), kRows - 1);
  EXPECT_EQ(grid->currentIndex().row(), kRows - 1);
  EXPECT_TRUE(onScreen(kRows - 1));
  EXPECT_EQ(table.fieldByName("id").asString(), QString::number(kRows));

  key(Qt::Key_PageUp);
  EXPECT_EQ(table.recNo(), kRows - 1 - fullRows());
  EXPECT_TRUE(onScreen(table.recNo()));
  key(Qt::Key_Up);
  EXPECT_EQ(table.recNo(), kRows - 2 - fullRows());
  EXPECT_TRUE(onScreen(table.recNo()));

  // Down from the screen's last whole row scrolls by one row.
  grid->verticalScrollBar()->setValue(90000);
  grid->setCurrentIndex(grid->model()->index(90000 + fullRows() - 1, 1));
  EXPECT_EQ(table.recNo(), 90000 + fullRows() - 1);
  EXPECT_EQ(grid->currentIndex().column(), 1);
  key(Qt::Key_Down);
  EXPECT_EQ(table.recNo(), 90000 + fullRows());
  EXPECT_EQ(grid->topRow(), 90001);
  EXPECT_EQ(grid->QTableView::currentIndex().row(), fullRows() - 1);

  // A click on a line makes that line's record current.
  const QRect third = grid->QTableView::visualRect(grid->QTableView::model()->index(2, 0));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, third.center());
  EXPECT_EQ(table.recNo(), 90003);
  EXPECT_EQ(table.fieldByName("id").asString(), "90004");

  key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(table.recNo(), 0);
  EXPECT_EQ(grid->verticalScrollBar()->value(), 0);
  EXPECT_EQ(prompt.messageCount(), 0);
}

TEST_P(GridTest, AnEditAfterScrollingIsPostedToItsOwnRecord) {
  waitForTheCount();
  grid->verticalScrollBar()->setValue(150000);
  // Typed into the third line's name cell, then the user moves down.
  const QModelIndex cell = grid->QTableView::model()->index(2, 1);
  grid->QTableView::setCurrentIndex(cell);
  ASSERT_EQ(table.recNo(), 150002);
  grid->edit(cell);
  auto* editor = grid->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setText("edited");
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();  // the editor commits and closes
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(grid->viewport()->findChild<QLineEdit*>(), nullptr);
  key(Qt::Key_Down);
  EXPECT_EQ(stored(150003), "edited");
  EXPECT_EQ(stored(150002), "n150002");
  EXPECT_EQ(stored(150004), "n150004");

  // An editor still open when the rows scroll away keeps its input for the
  // record it was opened on.
  const QModelIndex other = grid->QTableView::currentIndex().siblingAtColumn(1);
  const int row = table.recNo();
  grid->edit(other);
  editor = grid->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setText("kept");
  grid->verticalScrollBar()->setValue(10);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(grid->viewport()->findChild<QLineEdit*>(), nullptr);
  table.post();
  EXPECT_EQ(stored(row + 1), "kept");
  EXPECT_EQ(stored(11), "n11");
  EXPECT_EQ(stored(12), "n12");
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
}

// The record chosen before the count has finished stays current and on
// screen while the scroll range grows to the whole table.
TEST_P(GridTest, TheCurrentRecordStaysWhileTheCountGrows) {
  table.close();
  table.open();  // a count beside starts afresh
  // The thumb at the end of the rows known so far reads nothing past them
  // while the count goes on: reading on to a row beyond would block the
  // window for as long as it takes to get there.
  if (table.countingRows()) {
    const int known = grid->model()->rowCount();
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    EXPECT_EQ(grid->model()->rowCount(), known);
  }
  QCoreApplication::processEvents();
  table.moveTo(5000);
  EXPECT_EQ(grid->currentIndex().row(), 5000);
  EXPECT_TRUE(onScreen(5000));
  const int top = grid->topRow();
  waitForTheCount();
  EXPECT_EQ(grid->model()->rowCount(), kRows);
  EXPECT_EQ(grid->verticalScrollBar()->maximum(), kRows - fullRows());
  EXPECT_EQ(grid->topRow(), top);
  EXPECT_EQ(grid->currentIndex().row(), 5000);
  EXPECT_EQ(table.fieldByName("id").asString(), "5001");
  EXPECT_TRUE(onScreen(5000));
}

TEST_P(GridTest, InsertAndDeleteAtTheEdgesOfTheScreen) {
  waitForTheCount();
  grid->verticalScrollBar()->setValue(70000);
  const int bottom = 70000 + fullRows() - 1;
  grid->setCurrentIndex(grid->model()->index(bottom, 0));

  // Insert on the screen's last line: the new record shows there, marked.
  key(Qt::Key_Insert);
  ASSERT_EQ(table.state(), db::DatasetState::Insert);
  EXPECT_EQ(grid->model()->rowCount(), kRows + 1);
  EXPECT_TRUE(onScreen(table.recNo()));
  EXPECT_EQ(grid->model()->headerData(table.recNo(), Qt::Vertical).toString(), "*");
  key(Qt::Key_Escape);
  EXPECT_EQ(grid->model()->rowCount(), kRows);

  // Delete the screen's first record: the next one takes its line.
  grid->setCurrentIndex(grid->model()->index(70000, 0));
  prompt.messageAnswers.push_back(PromptOk);
  key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(stored(70001), "(none)");
  EXPECT_EQ(stored(70002), "n70002");
  EXPECT_EQ(grid->model()->rowCount(), kRows - 1);
  EXPECT_EQ(grid->verticalScrollBar()->maximum(), kRows - 1 - fullRows());
  EXPECT_EQ(grid->topRow(), 70000);
  EXPECT_EQ(shownId(0), "70002");
  EXPECT_EQ(shownNumber(0), "70001");
  EXPECT_TRUE(onScreen(table.recNo()));

  // The last record deleted at the end of the table: the screen stays full.
  key(Qt::Key_End, Qt::ControlModifier);
  prompt.messageAnswers.push_back(PromptOk);
  key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(stored(kRows), "(none)");
  EXPECT_EQ(table.recNo(), kRows - 3);
  EXPECT_TRUE(onScreen(kRows - 3));
  EXPECT_EQ(shownId(fullRows() - 1), QString::number(kRows - 1));
}

// Rows selected with Shift and Ctrl stay selected while they are scrolled
// away and back; a move of the record by the program selects it alone.
TEST_P(GridTest, SelectedRowsOutliveScrolling) {
  waitForTheCount();
  grid->verticalScrollBar()->setValue(40000);
  const auto lineCenter = [&](int line) {
    return grid->QTableView::visualRect(grid->QTableView::model()->index(line, 0)).center();
  };
  const auto selectedRows = [&] {
    QList<int> rows;
    for (const QModelIndex& index : grid->QTableView::selectionModel()->selectedRows())
      rows << grid->topRow() + index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
  };
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, lineCenter(2));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, lineCenter(4));
  EXPECT_EQ(selectedRows(), (QList<int>{40002, 40003, 40004}));

  grid->verticalScrollBar()->setValue(90000);
  EXPECT_TRUE(selectedRows().isEmpty());
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, lineCenter(1));
  EXPECT_EQ(table.recNo(), 90001);
  EXPECT_EQ(selectedRows(), (QList<int>{90001}));

  grid->verticalScrollBar()->setValue(40001);
  EXPECT_EQ(selectedRows(), (QList<int>{40002, 40003, 40004}));
  EXPECT_EQ(grid->currentIndex().row(), 90001);

  // Shift+click after scrolling selects from the row clicked before, the
  // rows scrolled past included; Shift+PageDown goes on from the same row.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, lineCenter(1));  // row 40002
  grid->verticalScrollBar()->setValue(40100);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, lineCenter(3));
  EXPECT_EQ(table.recNo(), 40103);
  EXPECT_EQ(selectedRows(), (QList<int>{40100, 40101, 40102, 40103}));
  grid->verticalScrollBar()->setValue(40000);
  EXPECT_EQ(selectedRows().first(), 40002);
  EXPECT_EQ(selectedRows().size(), grid->QTableView::model()->rowCount() - 2);
  key(Qt::Key_PageDown, Qt::ShiftModifier);
  EXPECT_EQ(table.recNo(), 40103 + fullRows());
  EXPECT_EQ(selectedRows().last(), 40103 + fullRows());
  EXPECT_EQ(selectedRows().size(), 40103 + fullRows() - grid->topRow() + 1);

  // A drag selects the rows it passes over.
  grid->verticalScrollBar()->setValue(60000);
  QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, lineCenter(2));
  QTest::mouseMove(grid->viewport(), lineCenter(4));
  QTest::mouseMove(grid->viewport(), lineCenter(6));
  QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, lineCenter(6));
  EXPECT_EQ(selectedRows(), (QList<int>{60002, 60003, 60004, 60005, 60006}));

  // A drag held above the rows scrolls up, selecting as it goes.
  QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, lineCenter(2));
  QTest::mouseMove(grid->viewport(), QPoint(lineCenter(0).x(), -5));
  QTRY_VERIFY(grid->topRow() <= 59995);
  QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, QPoint(lineCenter(0).x(), -5));
  const int top = grid->topRow();
  EXPECT_EQ(selectedRows().first(), top);
  EXPECT_EQ(selectedRows().size(), 60002 - top + 1);

  key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(selectedRows(), (QList<int>{0}));
  grid->verticalScrollBar()->setValue(40001);
  EXPECT_TRUE(selectedRows().isEmpty());
}

// Ctrl+End while the rows are still being counted does not wait for the
// count: the record goes to the last row read so far at once and follows
// the count to the true last record. Another record chosen meanwhile stops
// the following.
TEST_P(GridTest, CtrlEndFollowsARunningCountToTheLastRecord) {
  constexpr int kSlowRows = 6000000;  // counted in a second or more
  db::Query slow;
  slow.setDatabaseName(alias);
  slow.setSql(QStringLiteral("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < %1) "
                             "SELECT i FROM k")
                  .arg(kSlowRows));
  slow.open();
  source.setDataSet(&slow);
  QCoreApplication::processEvents();
  ASSERT_TRUE(slow.countingRows()) << "the count ended before the key could be pressed";

  key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_TRUE(slow.countingRows());  // the key did not wait for the count
  const int reached = slow.recNo();
  EXPECT_GT(reached, 0);
  EXPECT_EQ(reached, grid->model()->rowCount() - 1);
  EXPECT_TRUE(onScreen(reached));
  while (slow.countingRows()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  QCoreApplication::processEvents();
  EXPECT_EQ(slow.recNo(), kSlowRows - 1);
  EXPECT_EQ(slow.field(0).asString(), QString::number(kSlowRows));
  EXPECT_TRUE(onScreen(kSlowRows - 1));
  EXPECT_EQ(grid->verticalScrollBar()->value(), grid->verticalScrollBar()->maximum());

  // Read afresh, the navigator's Last (which does not wait either) and then
  // Ctrl+Home before the count ends: the record stays on the first row when
  // the count arrives.
  slow.close();
  slow.open();
  QCoreApplication::processEvents();
  ASSERT_TRUE(slow.countingRows());
  DBNavigator navigator;
  navigator.setDataSource(&source);
  navigator.button(DBNavigator::Last)->click();
  EXPECT_TRUE(slow.countingRows());
  key(Qt::Key_Home, Qt::ControlModifier);
  while (slow.countingRows()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  QCoreApplication::processEvents();
  EXPECT_EQ(slow.recNo(), 0);
  EXPECT_TRUE(onScreen(0));
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  source.setDataSet(&table);
}

INSTANTIATE_TEST_SUITE_P(Drivers, GridTest, ::testing::Values(QStringLiteral("SQLITE"), QStringLiteral("PG")),
                         [](const auto& info) { return info.param.toStdString(); });

}  // namespace
}  // namespace korvel::ui
