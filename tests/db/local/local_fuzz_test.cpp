// A short randomized run of the local file fuzz step, kept in the suite:
// valid Paradox and CSV files with random bytes changed, removed or cut off.
// The long run is the libFuzzer target (fuzz/local_fuzz.cpp).
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>

#include "db/local/csvtable.h"
#include "db/local/paradoxwriter.h"
#include "fuzz/local_fuzz_checks.h"

using namespace korvel::db;
using namespace korvel::db::local;

namespace {

QByteArray fileBytes(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

QByteArray sampleParadox(const QString& dir) {
  const QString path = dir + QStringLiteral("/SAMPLE.DB");
  const std::vector<LocalColumn> columns = {{QStringLiteral("K"), FieldKind::Integer, 0},
                                            {QStringLiteral("名"), FieldKind::String, 12},
                                            {QStringLiteral("D"), FieldKind::Date, 0},
                                            {QStringLiteral("N"), FieldKind::Float, 0},
                                            {QStringLiteral("M"), FieldKind::Memo, 20}};
  std::vector<ParadoxField> fields;
  QStringList names;
  for (const auto& c : columns) {
    fields.push_back(ParadoxWriter::fieldFor(c));
    names << c.name;
  }
  ParadoxWriter writer(path, fields, names, 1);
  for (int i = 0; i < 300; ++i)
    writer.append({i, QStringLiteral("名前%1").arg(i), QDate(1900, 1, 1).addDays(i), i / 3.0,
                   i % 5 ? QVariant() : QVariant(QStringLiteral("メモ%1").arg(i))},
                  i);
  writer.commit();
  return fileBytes(path);
}

QByteArray mutate(const QByteArray& base, std::mt19937& rng) {
  QByteArray bytes = base;
  std::uniform_int_distribution<int> kind(0, 9);
  const int changes = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < changes && !bytes.isEmpty(); ++i) {
    const int at = static_cast<int>(rng() % static_cast<unsigned>(bytes.size()));
    switch (kind(rng)) {
      case 0: bytes.truncate(at); break;
      case 1: bytes.remove(at, 1); break;
      case 2: bytes.insert(at, "\",\r\n\x81"[rng() % 5]); break;
      case 3: bytes[at] = 0; break;
      case 4: bytes[at] = static_cast<char>(0xFF); break;
      default: bytes[at] = static_cast<char>(rng()); break;
    }
    // The header holds what matters most in a .DB file: aim there often.
    if (kind(rng) < 3 && bytes.size() > 0x80) bytes[static_cast<int>(rng() % 0x80)] = static_cast<char>(rng());
  }
  return bytes;
}

TEST(LocalFuzzRandomized, MutatedFilesGiveErrorsNeverCrashes) {
  QTemporaryDir dir;
  const QByteArray paradox = sampleParadox(dir.path());
  const QByteArray csv = QByteArray("A,B,C,D,E,F\r\n") +
                         "1,2024/01/31,2024/01/31 10:00:00,10:00,TRUE,1.5\r\n"
                         "2,\"1999-12-31\",,\"\",F,-2e10\r\n"
                         "3,,,,,\r\n\"4\",2000/2/29,2000/02/29T23:59:59.999,23:59:59.5,0,0\r\n";
  std::mt19937 rng(20240131);
  const auto openFiles = [] { return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size(); };
  const auto filesBefore = openFiles();
  int readWhole = 0;
  for (int i = 0; i < 1500; ++i) {
    const auto target = static_cast<localfuzz::Target>(i % 3);
    const QByteArray input = mutate(target == localfuzz::Target::Paradox ? paradox : csv, rng);
    if (localfuzz::readAsFile(dir.path(), target, reinterpret_cast<const uint8_t*>(input.constData()),
                              static_cast<size_t>(input.size())))
      ++readWhole;
  }
  // Some mutations leave a readable file (a changed text byte): the readers
  // were really exercised, not stopped at the first check every time.
  EXPECT_GT(readWhole, 50);
  EXPECT_EQ(openFiles(), filesBefore);  // a refused file is closed too
  EXPECT_TRUE(localfuzz::readAsFile(dir.path(), localfuzz::Target::Paradox,
                                    reinterpret_cast<const uint8_t*>(paradox.constData()), static_cast<size_t>(paradox.size())));
}

}  // namespace
