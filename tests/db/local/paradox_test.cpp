// Paradox .DB files written and read back through pxlib: every field type,
// Japanese text, NULLs, dates before 1900, memos in and beyond the record,
// key order, and damaged headers and blocks.
#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>

#include "db/local/paradoxreader.h"
#include "db/local/paradoxwriter.h"

using namespace korvel::db;
using namespace korvel::db::local;

namespace {

std::vector<LocalColumn> allKinds() {
  return {{QStringLiteral("CODE"), FieldKind::Integer, 0},      {QStringLiteral("名前"), FieldKind::String, 20},
          {QStringLiteral("SMALL"), FieldKind::Smallint, 0},    {QStringLiteral("PRICE"), FieldKind::Currency, 0},
          {QStringLiteral("RATE"), FieldKind::Float, 0},        {QStringLiteral("BORN"), FieldKind::Date, 0},
          {QStringLiteral("AT"), FieldKind::Time, 0},           {QStringLiteral("STAMP"), FieldKind::DateTime, 0},
          {QStringLiteral("OK"), FieldKind::Boolean, 0},        {QStringLiteral("NOTE"), FieldKind::Memo, 60}};
}

ParadoxWriter writerFor(const QString& path, const std::vector<LocalColumn>& columns, int keys) {
  std::vector<ParadoxField> fields;
  QStringList names;
  for (const auto& c : columns) {
    fields.push_back(ParadoxWriter::fieldFor(c));
    names << c.name;
  }
  return ParadoxWriter(path, fields, names, keys);
}

QString lastMessage(const std::function<void()>& action) {
  try {
    action();
  } catch (const EngineError& e) {
    return e.lastMessage();
  }
  return QStringLiteral("(no error)");
}

class ParadoxFiles : public ::testing::Test {
 protected:
  QString path(const QString& name) { return dir_.filePath(name); }
  QTemporaryDir dir_;
};

TEST_F(ParadoxFiles, EveryKindRoundTripsWithNullsOldDatesAndMemos) {
  const QString file = path(QStringLiteral("ALL.DB"));
  const QString longMemo = QString(300, QChar(u'メ')) + QStringLiteral("end");
  std::vector<LocalRow> rows = {
      {1, QStringLiteral("山田太郎"), -32767, 1234.5, 0.1, QDate(1868, 10, 23), QTime(10, 30, 0),
       QDateTime(QDate(1899, 12, 31), QTime(23, 59, 59, 500)), true, QStringLiteral("短いメモ")},
      {2, QStringLiteral("O'Neil \"x\""), 32767, -0.01, -1e300, QDate(1, 1, 1), QTime(0, 0, 0),
       QDateTime(QDate(2024, 2, 29), QTime(0, 0)), false, longMemo},
      {3, {}, {}, {}, {}, {}, {}, {}, {}, {}},
  };
  {
    ParadoxWriter writer = writerFor(file, allKinds(), 1);
    for (size_t i = 0; i < rows.size(); ++i) writer.append(rows[i], static_cast<int64_t>(i));
    writer.commit();
  }
  EXPECT_TRUE(QFile::exists(path(QStringLiteral("ALL.PX"))));
  EXPECT_TRUE(QFile::exists(path(QStringLiteral("ALL.MB"))));
  ParadoxReader reader(file);
  ASSERT_EQ(reader.rowCount(), 3);
  ASSERT_EQ(reader.columns().size(), allKinds().size());
  EXPECT_EQ(reader.columns()[1].name, QStringLiteral("名前"));
  EXPECT_EQ(reader.columns()[1].kind, FieldKind::String);
  EXPECT_EQ(reader.columns()[1].size, 20);
  EXPECT_EQ(reader.keyFields(), 1);
  for (int64_t r = 0; r < 3; ++r) {
    const LocalRow got = reader.row(r);
    for (int c = 0; c < got.size(); ++c) {
      const QVariant& want = rows[static_cast<size_t>(r)][c];
      if (want.isNull()) EXPECT_TRUE(got[c].isNull()) << r << "/" << c;
      else EXPECT_EQ(got[c], want) << r << "/" << c << " " << got[c].toString().toStdString();
    }
  }
  EXPECT_TRUE(reader.writeRefusal().isEmpty());
  reader.checkBlocks();
}

TEST_F(ParadoxFiles, ManyRowsSpanBlocksAndKeepKeyOrder) {
  const QString file = path(QStringLiteral("many.db"));
  {
    ParadoxWriter writer = writerFor(file, {{QStringLiteral("K"), FieldKind::Integer, 0},
                                            {QStringLiteral("T"), FieldKind::String, 30}}, 1);
    for (int i = -5000; i < 5000; ++i) writer.append({i, QStringLiteral("row %1").arg(i)}, i + 5000);
    writer.commit();
  }
  EXPECT_TRUE(QFile::exists(path(QStringLiteral("many.px"))));
  ParadoxReader reader(file);
  ASSERT_EQ(reader.rowCount(), 10000);
  EXPECT_EQ(reader.row(9999)[0].toInt(), 4999);
  EXPECT_EQ(reader.row(0)[1].toString(), QStringLiteral("row -5000"));
  EXPECT_EQ(reader.row(5000)[0].toInt(), 0);
  reader.checkBlocks();
}

TEST_F(ParadoxFiles, WriterRefusesWhatTheFileCannotHold) {
  const QString file = path(QStringLiteral("T.DB"));
  ParadoxWriter writer = writerFor(file, {{QStringLiteral("K"), FieldKind::Smallint, 0},
                                          {QStringLiteral("T"), FieldKind::String, 4}}, 1);
  EXPECT_TRUE(lastMessage([&] { writer.append({40000, QStringLiteral("a")}, 0); }).contains(u"-32767..32767"));
  EXPECT_TRUE(lastMessage([&] { writer.append({1, QStringLiteral("日本語")}, 0); }).contains(u"do not fit"));
  EXPECT_TRUE(lastMessage([&] { writer.append({1, QStringLiteral("\u00e9")}, 0); }).contains(u"code page 932"));
  writer.append({2, QStringLiteral("ab")}, 0);
  EXPECT_TRUE(lastMessage([&] { writer.append({2, QStringLiteral("c")}, 1); }).contains(u"key violation"));
  EXPECT_TRUE(lastMessage([&] { writer.append({1, QStringLiteral("c")}, 1); }).contains(u"key order"));
  // Nothing was committed: the table does not exist.
  EXPECT_FALSE(QFile::exists(file));
}

// Damaged files: each gives an error naming the file, never a crash.
TEST_F(ParadoxFiles, DamagedFilesAreReportedWithTheirName) {
  const QString file = path(QStringLiteral("D.DB"));
  {
    ParadoxWriter writer = writerFor(file, {{QStringLiteral("K"), FieldKind::Integer, 0}}, 0);
    for (int i = 0; i < 2000; ++i) writer.append({i}, i);
    writer.commit();
  }
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray good = f.readAll();
  f.close();
  const auto damaged = [&](const std::function<void(QByteArray&)>& change) {
    QByteArray bytes = good;
    change(bytes);
    QFile out(file);
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    out.write(bytes);
    out.close();
    return lastMessage([&] {
      ParadoxReader reader(file);
      reader.checkBlocks();
      for (int64_t i = 0; i < reader.rowCount(); ++i) reader.row(i);
    });
  };
  EXPECT_TRUE(damaged([](QByteArray& b) { b.truncate(40); }).contains(u"too short"));
  EXPECT_TRUE(damaged([](QByteArray& b) { b.truncate(b.size() / 2); }).contains(u"blocks"));
  EXPECT_TRUE(damaged([](QByteArray& b) { b[0x06] = 0x10; }).contains(u"records"));  // record count
  EXPECT_TRUE(damaged([](QByteArray& b) { b[0x21] = 0; }).contains(u"field count"));
  const QString counted = damaged([](QByteArray& b) { b[0x06] = char(0xEE); });  // 2000 -> 2030 records
  EXPECT_TRUE(counted.contains(u"D.DB")) << counted.toStdString();
  EXPECT_TRUE(counted.contains(u"header counts 2030 records, the blocks hold 2000")) << counted.toStdString();
  EXPECT_TRUE(damaged([](QByteArray& b) { b[0x78] = 0x42; }).contains(u"unknown type"));
  // The first block's link pointing at itself.
  const int header = static_cast<uint8_t>(good[2]) | (static_cast<uint8_t>(good[3]) << 8);
  EXPECT_TRUE(damaged([&](QByteArray& b) { b[header] = 1; b[header + 1] = 0; }).contains(u"loops"));
}

}  // namespace
