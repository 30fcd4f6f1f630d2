// The table information window filled from a 300-column table with 10
// indexes and a comment on the table and on every column (LoadTableInfo,
// grid painted), on SQLite (comments in SysComment) and, with KORVEL_TEST_PG
// set, on PostgreSQL (catalog comments); and the CREATE TABLE script written
// from the filled grid. Prints figures; asserts nothing.
//
//   bench_tableinfo [runs=20]

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "controls/combogrid.h"
#include "db/engine.h"
#include "db/table.h"
#include "tableinfo/createscript.h"
#include "tableinfo/fieldrows.h"
#include "tableinfo/formtblinf.h"
#include "tableinfo/tableinfoload.h"
#include "ui/application.h"
#include "ui/scriptedprompt.h"

#include <QLineEdit>

namespace {

constexpr int kColumns = 300;
constexpr int kIndexes = 10;

long peakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

QString columnName(int i) { return QStringLiteral("C%1").arg(i, 3, 10, QChar('0')); }

QString columnType(int i, bool postgres) {
  switch (i % 6) {
    case 0: return QStringLiteral("VARCHAR(20)");
    case 1: return QStringLiteral("INTEGER");
    case 2: return QStringLiteral("NUMERIC(9,2)");
    case 3: return QStringLiteral("DATE");
    case 4: return postgres ? QStringLiteral("TIMESTAMP") : QStringLiteral("DATETIME");
    default: return QStringLiteral("TEXT");
  }
}

// The table, its primary key and nine more indexes of two columns each.
QStringList tableStatements(bool postgres) {
  QStringList columns;
  for (int i = 1; i <= kColumns; ++i) columns << columnName(i) + u' ' + columnType(i, postgres);
  QStringList sql{QStringLiteral("DROP TABLE IF EXISTS WIDE"),
                  QStringLiteral("CREATE TABLE WIDE (%1, PRIMARY KEY (C001, C002))").arg(columns.join(", "))};
  for (int k = 1; k < kIndexes; ++k)
    sql << QStringLiteral("CREATE INDEX WIDE_IX%1 ON WIDE (%2, %3)")
               .arg(k)
               .arg(columnName(10 * k))
               .arg(columnName(10 * k + 1));
  return sql;
}

void run(const QString& alias, const QStringList& statements) {
  QSqlQuery q(korvel::db::Engine::instance().connection(alias));
  for (const QString& s : statements)
    if (!q.exec(s)) std::fprintf(stderr, "setup failed: %s\n", qPrintable(s));
}

QStringList sqliteComments() {
  QStringList sql{QStringLiteral("DROP TABLE IF EXISTS SysComment"),
                  QStringLiteral("CREATE TABLE SysComment (\"File Name\" VARCHAR(30), \"Field Name\" VARCHAR(30), "
                                 "\"Comment\" VARCHAR(50), PRIMARY KEY (\"File Name\", \"Field Name\"))"),
                  QStringLiteral("BEGIN"),
                  QStringLiteral("INSERT INTO SysComment VALUES ('WIDE', 'TableComment', '幅の広い表')")};
  for (int i = 1; i <= kColumns; ++i)
    sql << QStringLiteral("INSERT INTO SysComment VALUES ('WIDE', '%1', '項目%2のコメント')").arg(columnName(i)).arg(i);
  sql << QStringLiteral("COMMIT");
  return sql;
}

QStringList postgresComments() {
  QStringList sql{QStringLiteral("COMMENT ON TABLE wide IS '幅の広い表'")};
  for (int i = 1; i <= kColumns; ++i)
    sql << QStringLiteral("COMMENT ON COLUMN wide.%1 IS '項目%2のコメント'").arg(columnName(i)).arg(i);
  return sql;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void measure(const QString& alias, const QString& tableText, const QString& label, int runs, const QString& dir) {
  TFormTblInf form;
  form.show();
  korvel::db::Table table;
  std::vector<double> loads;
  bool ok = true;
  for (int r = 0; r < runs; ++r) {
    QElapsedTimer timer;
    timer.start();
    ok = korvel::tableinfo::LoadTableInfo(form, table, alias, tableText) && ok;
    form.ComboGrid1->repaint();
    QApplication::processEvents();
    loads.push_back(timer.nsecsElapsed() / 1e6);
  }
  int commented = 0;
  for (int row = 1; row < form.ComboGrid1->RowCount(); ++row)
    if (!form.ComboGrid1->Cells(korvel::tableinfo::kColComment, row).isEmpty()) ++commented;
  std::printf("%s: LoadTableInfo of %d columns, %d index lines, %d comments (table comment %s): "
              "first %.1f ms, median %.1f ms of %d%s\n",
              qPrintable(label), form.ComboGrid1->RowCount() - 1, static_cast<int>(form.IndexLines().size()),
              commented, form.Edit_TableComment->text().isEmpty() ? "missing" : "read", loads.front(),
              median(loads), runs, ok ? "" : " (a load failed)");

  std::vector<double> writes;
  qint64 bytes = 0;
  const QString file = dir + QStringLiteral("/wide.sql");
  for (int r = 0; r < runs; ++r) {
    QElapsedTimer timer;
    timer.start();
    korvel::tableinfo::ScriptSource source{form.Edit_TableName->text(), form.Edit_TableComment->text(), {}};
    for (int row = 1; row < form.ComboGrid1->RowCount(); ++row)
      source.fields.push_back({form.ComboGrid1->Cells(1, row), form.ComboGrid1->Cells(2, row),
                               form.ComboGrid1->Cells(3, row), form.ComboGrid1->Cells(7, row)});
    QString error;
    if (!korvel::tableinfo::WriteCreateTableScript(
            file, korvel::tableinfo::BuildCreateTableScript(source, QStringLiteral("2024/01/01 00:00")), &error))
      std::fprintf(stderr, "script not written: %s\n", qPrintable(error));
    writes.push_back(timer.nsecsElapsed() / 1e6);
  }
  bytes = QFile(file).size();
  std::printf("%s: script of %lld bytes written in median %.2f ms of %d (temporary file, flushed, renamed)\n",
              qPrintable(label), bytes, median(writes), runs);
}

QByteArray pgAliasSection() {
  QMap<QString, QString> p;
  for (const QString& part : QString::fromLocal8Bit(qgetenv("KORVEL_TEST_PG")).split(' ', Qt::SkipEmptyParts))
    if (part.contains('=')) p[part.section('=', 0, 0)] = part.section('=', 1);
  if (p.isEmpty()) return {};
  return QString("[PG]\nTYPE=POSTGRESQL\nSERVER NAME=%1\nPORT=%2\nDATABASE NAME=%3\nUSER NAME=%4\n"
                 "LOGIN PROMPT=FALSE\n")
      .arg(p.value("host"), p.value("port"), p.value("dbname"), p.value("user"))
      .toUtf8();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  korvel::ui::Application app(argc, argv);
  const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 20);
  QTemporaryDir dir;
  qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toLocal8Bit());
  qputenv("XDG_DATA_HOME", (dir.path() + "/data").toLocal8Bit());
  qputenv("KORVEL_ALIASES", (dir.path() + "/aliases.ini").toLocal8Bit());
  korvel::ScriptedPrompt prompt;  // nothing may block

  QFile aliases(dir.path() + "/aliases.ini");
  aliases.open(QIODevice::WriteOnly);
  aliases.write(("[LITE]\nTYPE=SQLITE\nPATH=" + dir.path() + "/wide.sqlite\n").toUtf8() + pgAliasSection());
  aliases.close();
  QFile(dir.path() + "/wide.sqlite").open(QIODevice::WriteOnly);
  korvel::db::Engine::instance().loadAliases();

  run("LITE", tableStatements(false) + sqliteComments());
  measure("LITE", "WIDE", "SQLite", runs, dir.path());
  if (!pgAliasSection().isEmpty()) {
    run("PG", tableStatements(true) + postgresComments());
    measure("PG", "wide", "PostgreSQL", runs, dir.path());
    run("PG", {QStringLiteral("DROP TABLE wide")});
  } else {
    std::printf("PostgreSQL: KORVEL_TEST_PG not set, not measured\n");
  }
  std::printf("peak memory %ld KB; messages shown: %d\n", peakKb(), prompt.messageCount());
  return 0;
}
