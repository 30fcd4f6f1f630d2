// DatasetModel in a QTableView (offscreen): headers, texts, editing through
// the view and the current row kept in step both ways.

#include <QSqlQuery>
#include <QTableView>

#include "db/datasetmodel.h"
#include "db/demodatabase.h"
#include "db/sqlitedriver.h"
#include "db/table.h"
#include "dbtestenv.h"
#include "ui/scriptedprompt.h"

namespace korvel::db::test {
namespace {

class ModelTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    const QString file = path(QStringLiteral("demo.sqlite"));
    createDemoDatabase(file);
    writeAliases(QStringLiteral("[LITE]\nTYPE=SQLITE\nPATH=%1\n").arg(file));
    table.setDatabaseName(QStringLiteral("LITE"));
    table.setTableName(QStringLiteral("EMPLOYEE"));
    table.open();
    model.setDataset(&table);
    view = std::make_unique<QTableView>();
    view->setModel(&model);
    model.setSelectionModel(view->selectionModel());
  }
  QModelIndex at(int row, const QString& field) {
    return model.index(row, table.fieldByName(field).index());
  }

  ScriptedPrompt prompt;
  Table table;
  DatasetModel model;
  std::unique_ptr<QTableView> view;  // made once the application object exists
};

TEST_F(ModelTest, ShowsRowsWithLabelsAndTexts) {
  EXPECT_EQ(model.rowCount(), 5);
  EXPECT_EQ(model.columnCount(), 11);
  table.field(1).setDisplayLabel(QStringLiteral("氏名"));
  EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("氏名"));
  EXPECT_EQ(model.data(at(2, "EMP_NAME"), Qt::DisplayRole).toString(), QStringLiteral("鈴木 一郎"));
  EXPECT_EQ(model.data(at(2, "BIRTH_DATE"), Qt::DisplayRole).toString(), QStringLiteral("1990/01/31"));
  EXPECT_TRUE(model.flags(at(0, "EMP_NAME")) & Qt::ItemIsEditable);
  EXPECT_EQ(view->currentIndex().row(), 0);
}

TEST_F(ModelTest, CurrentRowFollowsTheDatasetAndTheView) {
  table.moveTo(3);
  EXPECT_EQ(view->currentIndex().row(), 3);
  view->setCurrentIndex(at(1, "EMP_NAME"));
  EXPECT_EQ(table.recNo(), 1);
  EXPECT_EQ(table.fieldByName(QStringLiteral("EMP_NO")).asString(), QStringLiteral("1002"));
}

TEST_F(ModelTest, EditsPostWhenTheRowChanges) {
  ASSERT_TRUE(model.setData(at(2, "EMP_KANA"), QStringLiteral("スズキ"), Qt::EditRole));
  EXPECT_EQ(table.recNo(), 2);
  EXPECT_EQ(table.state(), DatasetState::Edit);
  EXPECT_EQ(model.data(at(2, "EMP_KANA"), Qt::DisplayRole).toString(), QStringLiteral("スズキ"));
  view->setCurrentIndex(at(4, "EMP_KANA"));
  EXPECT_EQ(table.state(), DatasetState::Browse);
  EXPECT_EQ(table.recNo(), 4);
  table.moveTo(2);
  EXPECT_EQ(table.fieldByName(QStringLiteral("EMP_KANA")).asString(), QStringLiteral("スズキ"));
}

TEST_F(ModelTest, AFailedPostKeepsTheRowAndReportsTheError) {
  ASSERT_TRUE(model.setData(at(1, "EMP_NAME"), QString(), Qt::EditRole));
  table.fieldByName(QStringLiteral("EMP_NAME")).clear();  // NOT NULL
  view->setCurrentIndex(at(3, "EMP_NAME"));
  EXPECT_EQ(table.state(), DatasetState::Edit);
  EXPECT_EQ(table.recNo(), 1);
  EXPECT_EQ(view->currentIndex().row(), 1);
  EXPECT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().contains(QStringLiteral("NOT NULL")));
  // A bad text is refused without leaving the row.
  EXPECT_FALSE(model.setData(at(1, "BIRTH_DATE"), QStringLiteral("not a date"), Qt::EditRole));
  table.cancel();
}

TEST_F(ModelTest, AppendShowsThePendingRow) {
  table.append();
  EXPECT_EQ(model.rowCount(), 6);
  EXPECT_EQ(model.headerData(5, Qt::Vertical, Qt::DisplayRole).toString(), QStringLiteral("*"));
  EXPECT_EQ(view->currentIndex().row(), 5);
  ASSERT_TRUE(model.setData(at(5, "EMP_NO"), QStringLiteral("1000"), Qt::EditRole));
  ASSERT_TRUE(model.setData(at(5, "EMP_NAME"), QStringLiteral("新人"), Qt::EditRole));
  table.post();
  EXPECT_EQ(model.rowCount(), 6);
  EXPECT_EQ(table.recNo(), 0);  // sorted by its key
  EXPECT_EQ(view->currentIndex().row(), 0);
  EXPECT_EQ(model.data(at(0, "EMP_NAME"), Qt::DisplayRole).toString(), QStringLiteral("新人"));
  table.close();
  EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(ModelTest, LeavingAnInsertedRowInTheViewPostsIt) {
  table.last();
  table.append();
  ASSERT_TRUE(model.setData(at(5, "EMP_NO"), QStringLiteral("1003"), Qt::EditRole));  // a key violation
  ASSERT_TRUE(model.setData(at(5, "EMP_NAME"), QStringLiteral("重複"), Qt::EditRole));
  view->setCurrentIndex(at(2, "EMP_NAME"));
  EXPECT_EQ(table.state(), DatasetState::Insert);
  EXPECT_EQ(view->currentIndex().row(), 5);
  EXPECT_EQ(prompt.messageCount(), 1);
  ASSERT_TRUE(model.setData(at(5, "EMP_NO"), QStringLiteral("1006"), Qt::EditRole));
  view->setCurrentIndex(at(2, "EMP_NAME"));
  EXPECT_EQ(table.state(), DatasetState::Browse);
  EXPECT_EQ(model.rowCount(), 6);
  EXPECT_EQ(table.recNo(), 2);
  EXPECT_EQ(view->currentIndex().row(), 2);
  table.last();
  EXPECT_EQ(table.fieldByName(QStringLiteral("EMP_NAME")).asString(), QStringLiteral("重複"));
}

TEST_F(ModelTest, LargeResultsAreShownAsFarAsTheyAreWanted) {
  Table items;
  items.setDatabaseName(QStringLiteral("LITE"));
  items.setTableName(QStringLiteral("ITEM"));
  items.open();
  model.setDataset(&items);
  // Within the count limit the whole result is there from the start.
  EXPECT_EQ(model.rowCount(), 1000);
  EXPECT_FALSE(model.canFetchMore({}));
  model.setCountLimit(999);
  items.close();
  items.open();
  EXPECT_EQ(model.rowCount(), 200);
  // While the rows are counted beside, the count brings the rest; where no
  // count runs, the view fetches them.
  if (items.countingRows()) EXPECT_FALSE(model.canFetchMore({}));
  items.cancelCount();
  EXPECT_TRUE(model.canFetchMore({}));
  model.fetchMore({});
  EXPECT_EQ(model.rowCount(), 1000);  // all there is
  EXPECT_FALSE(model.canFetchMore({}));
  items.close();
  items.open();
  EXPECT_EQ(model.rowCount(), 200);
  items.moveTo(640);  // the view follows the dataset past the rows shown
  EXPECT_GE(model.rowCount(), 641);
  EXPECT_EQ(view->currentIndex().row(), 640);
  EXPECT_EQ(model.data(model.index(640, 0), Qt::DisplayRole).toString(), QStringLiteral("A00641"));
  items.last();
  EXPECT_EQ(model.rowCount(), 1000);
  EXPECT_EQ(view->currentIndex().row(), 999);
}

TEST_F(ModelTest, RowsThatCannotBeReadLeaveTheViewUsable) {
  Table items;
  items.setDatabaseName(QStringLiteral("LITE"));
  items.setTableName(QStringLiteral("ITEM"));
  items.open();
  model.setDataset(&items);  // all 1,000 rows shown; only those painted are read
  EXPECT_EQ(model.data(model.index(150, 0), Qt::DisplayRole).toString(), QStringLiteral("A00151"));
  // The window goes idle (its event loop releases the read cursor kept
  // between page reads), and another program drops the table under the
  // open dataset.
  QCoreApplication::processEvents();
  {
    QSqlDatabase db = SqliteDriver::openFile(path(QStringLiteral("demo.sqlite")), QStringLiteral("other"));
    EXPECT_TRUE(QSqlQuery(db).exec(QStringLiteral("DROP TABLE ITEM")));
  }
  QSqlDatabase::removeDatabase(QStringLiteral("other"));
  EXPECT_EQ(model.rowCount(), 1000);
  EXPECT_EQ(model.data(model.index(150, 0), Qt::DisplayRole).toString(), QStringLiteral("A00151"));  // cached
  view->setCurrentIndex(model.index(650, 0));  // a row never read: the move fails and is reported
  EXPECT_EQ(prompt.messageCount(), 1);
  EXPECT_EQ(items.recNo(), 0);
}

}  // namespace
}  // namespace korvel::db::test
