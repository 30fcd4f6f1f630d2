// CSV text tables: values of every kind written and read back, quoting,
// line breaks and encodings, random access against a sequential walk, and
// damaged files reported with their line.
#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>
#include <functional>

#include "db/local/csvtable.h"
#include "db/local/csvvalues.h"

using namespace korvel::db;
using namespace korvel::db::local;

namespace {

QString errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EngineError& e) {
    return e.lastMessage();
  }
  return QStringLiteral("(no error)");
}

class CsvFiles : public ::testing::Test {
 protected:
  QString path(const QString& name) { return dir_.filePath(name); }
  void writeFile(const QString& name, const QByteArray& bytes) {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }
  QByteArray readFile(const QString& name) {
    QFile f(path(name));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }
  // Every row of the file, read through the reader.
  QString readAllRows(const QString& name) {
    return errorOf([&] {
      CsvReader reader(path(name));
      for (int64_t i = 0; i < reader.rowCount(); ++i) reader.row(i);
    });
  }
  QTemporaryDir dir_;
};

TEST_F(CsvFiles, EveryKindRoundTripsThroughTheSchemaFile) {
  CsvSchema schema;
  schema.keyColumns = 1;
  schema.columns = {{QStringLiteral("CODE"), FieldKind::Integer, 0},   {QStringLiteral("名前"), FieldKind::String, 20},
                    {QStringLiteral("PRICE"), FieldKind::Currency, 0}, {QStringLiteral("RATE"), FieldKind::Float, 0},
                    {QStringLiteral("BORN"), FieldKind::Date, 0},      {QStringLiteral("AT"), FieldKind::Time, 0},
                    {QStringLiteral("STAMP"), FieldKind::DateTime, 0}, {QStringLiteral("OK"), FieldKind::Boolean, 0},
                    {QStringLiteral("NOTE"), FieldKind::Memo, 0}};
  const std::vector<LocalRow> rows = {
      {1, QStringLiteral("山田, \"太郎\""), 1234.5, 0.1, QDate(1868, 10, 23), QTime(10, 30, 0, 250),
       QDateTime(QDate(1899, 12, 31), QTime(23, 59, 59)), true, QStringLiteral("二行\r\nのメモ")},
      {2, QString(""), -0.01, -1e300, QDate(1, 1, 1), QTime(0, 0), QDateTime(QDate(2024, 2, 29), QTime(0, 0)), false,
       QStringLiteral(" blanks at the ends ")},
      {3, {}, {}, {}, {}, {}, {}, {}, {}},
  };
  {
    CsvWriter writer(path(QStringLiteral("t.csv")), schema, true);
    for (size_t i = 0; i < rows.size(); ++i) writer.append(rows[i], static_cast<int64_t>(i));
    writer.commit();
  }
  EXPECT_TRUE(readFile(QStringLiteral("t.csv")).startsWith("CODE,\x96\xbc\x91O,PRICE"));  // CP932 header
  CsvReader reader(path(QStringLiteral("t.csv")));
  ASSERT_TRUE(reader.hasSchemaFile());
  EXPECT_EQ(reader.schema().keyColumns, 1);
  ASSERT_EQ(reader.rowCount(), 3);
  for (int64_t r = 0; r < 3; ++r) {
    const LocalRow got = reader.row(r);
    for (int c = 0; c < got.size(); ++c) {
      const QVariant& want = rows[static_cast<size_t>(r)][c];
      EXPECT_EQ(got[c].isNull(), want.isNull()) << r << "/" << c;
      if (!want.isNull()) EXPECT_EQ(got[c], want) << r << "/" << c << " " << got[c].toString().toStdString();
    }
  }
}

TEST_F(CsvFiles, WithoutSchemaColumnsAreTextAndBothLineBreaksAndUtf8Read) {
  writeFile(QStringLiteral("a.csv"), "A,B\r\n1,\"x\ny\"\n\r\n2,\"\"\r\n");
  CsvReader plain(path(QStringLiteral("a.csv")));
  EXPECT_FALSE(plain.hasSchemaFile());
  ASSERT_EQ(plain.rowCount(), 2);  // the empty line is no record
  EXPECT_EQ(plain.row(0)[1].toString(), QStringLiteral("x\ny"));
  EXPECT_EQ(plain.columns()[0].kind, FieldKind::String);
  EXPECT_TRUE(plain.row(1)[1].toString().isEmpty());
  EXPECT_FALSE(plain.row(1)[1].isNull());

  writeFile(QStringLiteral("u.csv"), "\xEF\xBB\xBF" "名,値\n日本,1\n");
  CsvReader utf8(path(QStringLiteral("u.csv")));
  EXPECT_TRUE(utf8.schema().utf8);
  EXPECT_EQ(utf8.columns()[0].name, QStringLiteral("名"));
  EXPECT_EQ(utf8.row(0)[0].toString(), QStringLiteral("日本"));
}

TEST_F(CsvFiles, RandomAccessAgreesWithTheWalk) {
  CsvSchema schema;
  schema.crlf = false;
  schema.columns = {{QStringLiteral("N"), FieldKind::Integer, 0}, {QStringLiteral("T"), FieldKind::String, 0}};
  {
    CsvWriter writer(path(QStringLiteral("big.csv")), schema, true);
    for (int i = 0; i < 3000; ++i)
      writer.append({i, i % 7 == 0 ? QStringLiteral("line\nbreak %1").arg(i) : QStringLiteral("t%1").arg(i)}, i);
    writer.commit();
  }
  CsvReader reader(path(QStringLiteral("big.csv")));
  for (int64_t n : {2999, 0, 1500, 257, 256, 255, 2048, 2999, 1})
    EXPECT_EQ(reader.row(n)[0].toInt(), n);
  EXPECT_EQ(reader.rowCount(), 3000);
  EXPECT_EQ(reader.row(2003)[1].toString(), QStringLiteral("t2003"));
  EXPECT_EQ(reader.row(2002)[1].toString(), QStringLiteral("line\nbreak 2002"));
}

// Fields longer than the reader's 1 MiB buffer, and line breaks of every
// kind inside quotes where a buffer ends: values whole, lines counted.
TEST_F(CsvFiles, FieldsAcrossTheReadBufferKeepTheirBytesAndLineNumbers) {
  const int mib = 1 << 20;
  QByteArray text = "A,B\n1,\"";
  const int boundary = mib - text.size();
  QByteArray quoted(boundary - 1, 'x');
  quoted += "\r";                        // the buffer ends after this lone CR
  quoted += QByteArray(mib / 2, 'y') + "\r\n\"\"\rz";  // CR LF, a doubled quote, a lone CR
  text += quoted + "\"\n" + QByteArray(mib + 10, 'p') + ",plain\n3,\"open\n";
  writeFile(QStringLiteral("wide.csv"), text);
  CsvReader reader(path(QStringLiteral("wide.csv")));
  QByteArray expected = quoted;
  expected.replace("\"\"", "\"");
  EXPECT_EQ(reader.row(0)[1].toString().toLatin1(), expected);
  EXPECT_EQ(reader.row(1)[0].toString().size(), mib + 10);
  EXPECT_EQ(reader.row(1)[1].toString(), QStringLiteral("plain"));
  // The first record spans lines 2 to 5 (three breaks inside its quotes),
  // the second is line 6: the damaged third starts on line 7.
  EXPECT_EQ(readAllRows(QStringLiteral("wide.csv")), path(QStringLiteral("wide.csv")) + QStringLiteral(", line 7: a quoted field is not closed"));
}

// The short cut for plain ASCII numbers and dates gives what the general
// conversion gives, and leaves to it whatever it does not read alike.
TEST(CsvValues, PlainValuesAgreeWithTheGeneralConversion) {
  const std::vector<std::string> inputs = {"0", "-0", "42", " 42 ", "007", "+5", "2147483647", "2147483648",
                                           "-2147483649", "32767", "32768", "-32769", "1.25", "-1.5e3", ".5", "5.",
                                           "-.5", "1e400", "1E5", "1e+5", "inf", "nan", "0x10", "1,000", "12a", "",
                                           " ", "-", "2024/01/31", "2024-1-3", "2024/01-31", "99999/1/1", "2023/02/29",
                                           "1/1/1", "2024/1/1 ", "２０２４/1/1", "2024/13/01", "9999/12/31"};
  int taken = 0;
  for (FieldKind kind : {FieldKind::Smallint, FieldKind::Integer, FieldKind::Float, FieldKind::Currency, FieldKind::Date})
    for (const std::string& input : inputs) {
      QVariant plain, general;
      if (!csvPlainValue(kind, input, plain)) continue;
      ++taken;
      ASSERT_TRUE(csvValue(kind, QString::fromStdString(input), general, nullptr)) << input;
      EXPECT_EQ(plain.typeId(), general.typeId()) << input;
      EXPECT_EQ(plain, general) << input;
      if (plain.typeId() == QMetaType::Double) EXPECT_EQ(std::signbit(plain.toDouble()), std::signbit(general.toDouble())) << input;
    }
  EXPECT_GT(taken, 30);  // the common forms do take the short cut
}

TEST_F(CsvFiles, DamagedFilesNameTheirLine) {
  writeFile(QStringLiteral("q.csv"), "A,B\r\n1,2\r\n3,\"open\r\n4,5\r\n");
  EXPECT_EQ(readAllRows(QStringLiteral("q.csv")), path(QStringLiteral("q.csv")) + QStringLiteral(", line 3: a quoted field is not closed"));
  writeFile(QStringLiteral("r.csv"), "A,B\n1,2\n3\n");
  EXPECT_TRUE(readAllRows(QStringLiteral("r.csv")).endsWith(u"line 3: 1 fields where the header has 2"));
  writeFile(QStringLiteral("s.csv"), "A,B\n1,\x81\x20\n");  // a lead byte without its trail byte
  EXPECT_TRUE(readAllRows(QStringLiteral("s.csv")).endsWith(u"line 2: bytes that are not code page 932"));
  writeFile(QStringLiteral("t.csv"), "A,B\n\"x\"y,2\n");
  EXPECT_TRUE(readAllRows(QStringLiteral("t.csv")).endsWith(u"line 2: text follows a closing quote"));
  writeFile(QStringLiteral("e.csv"), "");
  EXPECT_TRUE(readAllRows(QStringLiteral("e.csv")).endsWith(u"no header line"));

  // A schema file that does not match the header, and a value its type refuses.
  writeFile(QStringLiteral("m.csv"), "A,C\n1,2\n");
  writeFile(QStringLiteral("m.schema"), "KORVEL CSV SCHEMA 1\nCOLUMN INTEGER 0 A\nCOLUMN INTEGER 0 B\n");
  EXPECT_TRUE(readAllRows(QStringLiteral("m.csv")).contains(u"column 2 is \"C\" in the header, \"B\" in the schema"));
  writeFile(QStringLiteral("m.csv"), "A,B\n1,2\nx,3\n");
  EXPECT_TRUE(readAllRows(QStringLiteral("m.csv")).endsWith(u"line 3, column A: \"x\" is not an integer"));
  writeFile(QStringLiteral("m.schema"), "KORVEL CSV SCHEMA 1\nCOLUMN NUMBER 0 A\n");
  EXPECT_TRUE(readAllRows(QStringLiteral("m.csv")).endsWith(u"line 2: unknown column type NUMBER"));
}

TEST_F(CsvFiles, AFailedWriteLeavesTheTableAsItWas) {
  writeFile(QStringLiteral("keep.csv"), "A\nold\n");
  CsvSchema schema;
  schema.columns = {{QStringLiteral("A"), FieldKind::String, 0}};
  {
    CsvWriter writer(path(QStringLiteral("keep.csv")), schema, false);
    writer.append({QStringLiteral("new")}, 0);
    EXPECT_TRUE(errorOf([&] { writer.append({QStringLiteral("\u00e9\u0100")}, 1); }).contains(u"code page 932"));
  }  // not committed
  EXPECT_EQ(readFile(QStringLiteral("keep.csv")), QByteArray("A\nold\n"));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);  // no temporary left
}

}  // namespace
