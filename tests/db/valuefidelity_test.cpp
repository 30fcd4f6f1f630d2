// Values of every column type, shown, edited and written back: what the
// database holds must come back exactly when the user edits another column,
// leaves a cell's text as it is (in the engine and through the grid's
// model), or types a cell's own text again. Run on SQLite and PostgreSQL.

#include <QSqlQuery>

#include "common/formats.h"
#include "db/datasetmodel.h"
#include "db/query.h"
#include "db/sqlitedriver.h"
#include "db/table.h"
#include "dbtestenv.h"

namespace korvel::db::test {
namespace {

struct Case {
  const char* type;     // the column's declared type
  const char* literal;  // the value, as an SQL literal
  const char* shown;    // the expected display text, or nullptr
  const char* edit;     // the expected edit text, or nullptr
  const char* retyped;  // the stored form after the text is typed again, or nullptr: unchanged
};

// Stored forms are compared as SQLite's typeof() and quote() give them.
const std::vector<Case> kSqliteCases = {
    {"NUMERIC(38,10)", "123456789.12345679", "123456789.12345679", "123456789.12345679", nullptr},
    {"DECIMAL(10,2)", "12.3", "12.3", "12.3", nullptr},
    {"NUMERIC", "5", "5", "5", nullptr},
    {"DOUBLE", "123456789.12345679", "123456789.123457", "123456789.12345679", nullptr},
    {"DOUBLE", "0.1", "0.1", "0.1", nullptr},
    {"REAL", "1e-300", "1E-300", "1E-300", nullptr},
    {"DOUBLE", "1.7976931348623157e308", nullptr, "1.7976931348623157E308", nullptr},
    {"CURRENCY", "1234.5678", "\\1,235", "1234.5678", nullptr},
    {"BOOLEAN", "'yes'", "True", "True", "integer:1"},
    {"BOOLEAN", "2", "True", "True", "integer:1"},
    {"BOOLEAN", "'false'", "False", "False", "integer:0"},
    {"DATETIME", "'2024-02-01T08:09:10+09:00'", "2024/02/01 8:09:10+09:00", nullptr, nullptr},
    {"DATETIME", "'2024-02-01 08:09:10.123456'", "2024/02/01 8:09:10.123456", nullptr, nullptr},
    {"TIMESTAMP", "'2024-02-01 08:09:10'", "2024/02/01 8:09:10", nullptr, nullptr},
    {"DATETIME", "'2024-02-01 00:00:00'", "2024/02/01", nullptr, nullptr},
    {"DATE", "'2024-01-31'", "2024/01/31", nullptr, nullptr},
    {"DATE", "'0044-03-15 BC'", "0044/03/15 BC", nullptr, nullptr},
    {"DATE", "'10000-01-01'", "10000/01/01", nullptr, nullptr},
    {"TIME", "'13:45:10.123456'", "13:45:10.123456", nullptr, nullptr},
    {"TIME", "'08:09:10'", "8:09:10", nullptr, nullptr},
    {"INTEGER", "9223372036854775807", "9223372036854775807", nullptr, nullptr},
    {"SMALLINT", "-32768", "-32768", nullptr, nullptr},
};

// Stored forms are compared as PostgreSQL's text of the value.
const std::vector<Case> kPostgresCases = {
    {"NUMERIC(38,10)", "1234567890123456789012345678.1234567891", "1234567890123456789012345678.1234567891",
     "1234567890123456789012345678.1234567891", nullptr},
    {"NUMERIC", "-0.000000000000000000001", "-0.000000000000000000001", nullptr, nullptr},
    {"NUMERIC", "'NaN'", "NaN", nullptr, nullptr},
    {"NUMERIC(12,4)", "12.3", "12.3000", nullptr, nullptr},
    {"NUMERIC(19,4)", "123456789012345.6789", "\\123,456,789,012,346", "123456789012345.6789", nullptr},
    {"DOUBLE PRECISION", "123456789.12345679", "123456789.123457", "123456789.12345679", nullptr},
    {"DOUBLE PRECISION", "1e-300", "1E-300", "1E-300", nullptr},
    {"REAL", "1.1", "1.1", "1.1", nullptr},
    {"MONEY", "1234.56", "\\1,235", "1234.56", nullptr},
    {"MONEY", "-5", "-\\5", "-5.00", nullptr},
    {"DATE", "'2024-01-31'", "2024/01/31", nullptr, nullptr},
    {"DATE", "'0044-03-15 BC'", "0044/03/15 BC", nullptr, nullptr},
    {"DATE", "'10000-01-01'", "10000/01/01", nullptr, nullptr},
    {"DATE", "'infinity'", "infinity", nullptr, nullptr},
    {"TIME(6)", "'13:45:10.123456'", "13:45:10.123456", nullptr, nullptr},
    {"TIME WITH TIME ZONE", "'13:45:10.5+05:30'", "13:45:10.5+05:30", nullptr, nullptr},
    {"TIMESTAMP(6)", "'2024-02-01 08:09:10.123456'", "2024/02/01 8:09:10.123456", nullptr, nullptr},
    {"TIMESTAMP", "'0001-01-01 10:00:00 BC'", "0001/01/01 10:00:00 BC", nullptr, nullptr},
    {"TIMESTAMP", "'12000-05-06 07:08:09'", "12000/05/06 7:08:09", nullptr, nullptr},
    {"TIMESTAMP WITH TIME ZONE", "'2024-02-01 08:09:10.123456+09'", "2024/01/31 23:09:10.123456+00", nullptr,
     nullptr},
    {"BOOLEAN", "true", "True", nullptr, nullptr},
    {"BIGINT", "9223372036854775807", "9223372036854775807", nullptr, nullptr},
    {"SMALLINT", "-32768", "-32768", nullptr, nullptr},
};

QString column(size_t i) { return QStringLiteral("c%1").arg(i); }

class ValueFidelityTest : public EngineFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    resetFormatSettings();
    if (postgres()) {
      if (pgConnectionString().isEmpty()) return;
      writeAliases(pgAliasSection(QStringLiteral("V")));
      table_ = QStringLiteral("vals_%1").arg(QString::fromLatin1(
          ::testing::UnitTest::GetInstance()->current_test_info()->name()).section(u'/', 0, 0).toLower());
      exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(table_));
      exec(QStringLiteral("SET TIME ZONE 'UTC'"));  // the zone timestamptz values are shown in
    } else {
      sqliteAlias({}, QStringLiteral("V"));
      file_ = path(QStringLiteral("V.sqlite"));
      table_ = QStringLiteral("vals");
    }
    QStringList columns{QStringLiteral("id INTEGER PRIMARY KEY"), QStringLiteral("note VARCHAR(20)")};
    QStringList values{QStringLiteral("1"), QStringLiteral("'a'")};
    for (size_t i = 0; i < cases().size(); ++i) {
      columns << column(i) + u' ' + QString::fromLatin1(cases()[i].type);
      values << QString::fromLatin1(cases()[i].literal);
    }
    exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(table_, columns.join(u", ")));
    exec(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table_, values.join(u", ")));
  }

  bool postgres() const { return QString::fromLatin1(GetParam()) == u"POSTGRESQL"; }
  const std::vector<Case>& cases() const { return postgres() ? kPostgresCases : kSqliteCases; }

  void exec(const QString& sql) {
    Query q;
    q.setDatabaseName(QStringLiteral("V"));
    q.setSql(sql);
    q.execSql();
  }

  // What the database holds for each value column of row `id`, past the
  // engine's reading: PostgreSQL's text, SQLite's storage class and literal.
  QStringList stored(int id = 1) {
    QStringList out;
    if (postgres()) {
      QStringList items;
      for (size_t i = 0; i < cases().size(); ++i) items << QStringLiteral("CAST(%1 AS text)").arg(column(i));
      Query q;
      q.setDatabaseName(QStringLiteral("V"));
      q.setSql(QStringLiteral("SELECT %1 FROM %2 WHERE id = %3").arg(items.join(u", "), table_).arg(id));
      q.open();
      for (int i = 0; i < q.fieldCount(); ++i) out << q.field(i).asString();
      return out;
    }
    QStringList items;
    for (size_t i = 0; i < cases().size(); ++i)
      items << QStringLiteral("typeof(%1) || ':' || quote(%1)").arg(column(i));
    {
      QSqlDatabase db = SqliteDriver::openFile(file_, QStringLiteral("direct"));
      QSqlQuery q(db);
      EXPECT_TRUE(q.exec(QStringLiteral("SELECT %1 FROM vals WHERE id = %2").arg(items.join(u", ")).arg(id)));
      if (q.next())
        for (size_t i = 0; i < cases().size(); ++i) out << q.value(static_cast<int>(i)).toString();
      // A double's exact digits: quote() rounds REAL to 15 digits.
      for (size_t i = 0; i < cases().size(); ++i) {
        QSqlQuery r(db);
        EXPECT_TRUE(r.exec(QStringLiteral("SELECT %1 FROM vals WHERE id = %2").arg(column(i)).arg(id)));
        if (r.next() && r.value(0).typeId() == QMetaType::Double)
          out[static_cast<int>(i)] = QStringLiteral("real:") + QString::number(r.value(0).toDouble(), 'g', 17);
      }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("direct"));
    return out;
  }

  void open(Table& t) {
    t.setDatabaseName(QStringLiteral("V"));
    t.setTableName(table_);
    t.open();
  }
  Field& valueField(Table& t, size_t i) { return t.fieldByName(column(i)); }

  QString table_;
  QString file_;
};

#define REQUIRE_SERVER_IF_ANY()          \
  do {                                   \
    if (postgres()) KORVEL_REQUIRE_PG(); \
  } while (0)

TEST_P(ValueFidelityTest, ValuesShowEveryDigitFractionZoneAndEra) {
  REQUIRE_SERVER_IF_ANY();
  Table t;
  open(t);
  for (size_t i = 0; i < cases().size(); ++i) {
    const Case& c = cases()[i];
    SCOPED_TRACE(std::string(c.type) + " " + c.literal);
    if (c.shown) {
      EXPECT_EQ(valueField(t, i).displayText(), QString::fromUtf8(c.shown));
    }
    if (c.edit) {
      EXPECT_EQ(valueField(t, i).editText(), QString::fromUtf8(c.edit));
    }
    EXPECT_FALSE(valueField(t, i).isNull());
  }
  EXPECT_EQ(t.fieldByName(column(0)).className(), QStringLiteral("TBCDField"));
}

TEST_P(ValueFidelityTest, AnEditOfAnotherColumnOrAnUnchangedTextWritesNothingElse) {
  REQUIRE_SERVER_IF_ANY();
  const QStringList before = stored();
  ASSERT_EQ(before.size(), static_cast<qsizetype>(cases().size()));
  Table t;
  open(t);
  t.edit();
  t.fieldByName(QStringLiteral("note")).setEditText(QStringLiteral("other column"));
  for (size_t i = 0; i < cases().size(); ++i) valueField(t, i).setEditText(valueField(t, i).editText());
  t.post();
  EXPECT_EQ(stored(), before);

  // The grid's editor starts from the model's edit text and commits it.
  DatasetModel model;
  model.setDataset(&t);
  for (int col = 0; col < t.fieldCount(); ++col) {
    const QModelIndex index = model.index(0, col);
    EXPECT_TRUE(model.setData(index, model.data(index, Qt::EditRole), Qt::EditRole)) << col;
  }
  t.post();
  const QStringList after = stored();
  for (size_t i = 0; i < cases().size(); ++i)
    EXPECT_EQ(after[static_cast<int>(i)], before[static_cast<int>(i)]) << cases()[i].type << ' ' << cases()[i].literal;
}

// A cell's text typed again (here with a blank before it, so that it is
// written) stores the very value it shows.
TEST_P(ValueFidelityTest, ACellsOwnTextTypedAgainStoresTheSameValue) {
  REQUIRE_SERVER_IF_ANY();
  const QStringList before = stored();
  Table t;
  open(t);
  t.edit();
  for (size_t i = 0; i < cases().size(); ++i) valueField(t, i).setEditText(u' ' + valueField(t, i).editText());
  t.post();
  const QStringList after = stored();
  for (size_t i = 0; i < cases().size(); ++i) {
    const Case& c = cases()[i];
    EXPECT_EQ(after[static_cast<int>(i)], c.retyped ? QString::fromLatin1(c.retyped) : before[static_cast<int>(i)])
        << c.type << ' ' << c.literal;
  }
  // A new record takes the same texts into the same stored values.
  t.append();
  t.fieldByName(QStringLiteral("id")).setEditText(QStringLiteral("2"));
  Table source;
  open(source);
  for (size_t i = 0; i < cases().size(); ++i) valueField(t, i).setEditText(valueField(source, i).editText());
  t.post();
  const QStringList copied = stored(2);
  for (size_t i = 0; i < cases().size(); ++i) {
    const QString value = copied[static_cast<int>(i)];
    // A fresh record is written in the engine's own date-time form (a blank
    // between date and time).
    EXPECT_EQ(value, QString(after[static_cast<int>(i)]).replace(u'T', u' ')) << cases()[i].type << ' ' << cases()[i].literal;
  }
}

TEST_P(ValueFidelityTest, OnlyAnEmptiedCellBecomesNull) {
  REQUIRE_SERVER_IF_ANY();
  Table t;
  open(t);
  t.edit();
  for (size_t i = 0; i < cases().size(); ++i) {
    const Case& c = cases()[i];
    // A text the kind cannot take is refused; the value stays.
    EXPECT_THROW(valueField(t, i).setEditText(QStringLiteral("not a value")), EngineError) << c.type;
    EXPECT_FALSE(valueField(t, i).isNull()) << c.type;
    valueField(t, i).setEditText(QString());
    EXPECT_TRUE(valueField(t, i).isNull()) << c.type;
  }
  t.post();
  for (const QString& value : stored())
    EXPECT_TRUE(value.isEmpty() || value == u"null:NULL") << value.toStdString();
}

// A server query without key is read past its first page through a scroll
// cursor on a second connection: every value must read there as on the
// first page, which comes from the dataset's own connection (whose session
// set the time zone the values are shown in: one the server's default is not).
TEST_P(ValueFidelityTest, RowsReadThroughTheScrollCursorReadAsOnTheFirstPage) {
  if (!postgres()) GTEST_SKIP() << "no scroll cursor on SQLite";
  KORVEL_REQUIRE_PG();
  exec(QStringLiteral("SET TIME ZONE 'Asia/Tokyo'"));
  Query q;
  q.setDatabaseName(QStringLiteral("V"));
  q.setSql(QStringLiteral("SELECT v.* FROM %1 v CROSS JOIN generate_series(1, 350) g").arg(table_));
  q.open();
  const int columns = q.fieldCount();
  for (int row : {120, 349}) {
    SCOPED_TRACE(row);
    for (int c = 0; c < columns; ++c) {
      SCOPED_TRACE(q.field(c).fieldName().toStdString());
      EXPECT_EQ(q.rowText(row, c), q.rowText(0, c));
      EXPECT_EQ(q.rowEditText(row, c), q.rowEditText(0, c));
      EXPECT_EQ(q.rowValue(row, c), q.rowValue(0, c));
      EXPECT_EQ(q.rowValue(row, c).metaType(), q.rowValue(0, c).metaType());
    }
  }
  // The rows past the first page did come through the cursor.
  Query readers;
  readers.setDatabaseName(QStringLiteral("V"));
  readers.setSql(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE application_name = 'korvel scroll reader of ' || pg_backend_pid()"));
  readers.open();
  EXPECT_GE(readers.field(0).asString().toInt(), 1);
}

INSTANTIATE_TEST_SUITE_P(Drivers, ValueFidelityTest, ::testing::Values("SQLITE", "POSTGRESQL"));

}  // namespace
}  // namespace korvel::db::test
