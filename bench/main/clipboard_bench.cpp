// Clipboard transfer of a 10-column table through the main window: Clip
// Copy and Excel Copy of 400 rows as the user presses them, the same copies
// of 100,000 rows (the 400-row limit lifted) with the sqlite3 shell writing
// the same rows as CSV side by side, the workbook writer alone on cells of
// the same shape, and FromClip of 10,000 lines. Prints
// wall and CPU times and peak memory; asserts nothing.
//
//   bench_clipboard [bigRows=100000] [pasteLines=10000]

#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTime>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "controls/numedit.h"
#include "ui/datasource.h"
#include "db/table.h"
#include "main/formmain.h"
#include "main/gridcopy.h"
#include "main/startup.h"
#include "main/workbookfile.h"
#include "main/xlsxsink.h"
#include "ui/application.h"
#include "ui/dbgrid.h"
#include "ui/scriptedprompt.h"

namespace {

long peakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

double childrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Times {
  double wall = 0;  // seconds
  double cpu = 0;
};

template <class Work>
Times timed(Work&& work) {
  QElapsedTimer timer;
  const double cpu0 = processCpuSeconds();
  timer.start();
  work();
  return {timer.nsecsElapsed() / 1e9, processCpuSeconds() - cpu0};
}

void exec(const QString& file, const QStringList& statements) {
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-setup");
    db.setDatabaseName(file);
    db.open();
    QSqlQuery q(db);
    for (const QString& s : statements)
      if (!q.exec(s)) std::fprintf(stderr, "setup failed: %s\n", qPrintable(s));
  }
  QSqlDatabase::removeDatabase("bench-setup");
}

void makeTable(const QString& file, const QString& name, int rows) {
  exec(file, {QString("CREATE TABLE %1 (ID INTEGER PRIMARY KEY, CODE VARCHAR(12), NAME VARCHAR(30), QTY INTEGER, "
                      "PRICE DOUBLE, AMOUNT NUMERIC(9,0), BORN DATE, STAMP DATETIME, OK BOOLEAN, NOTE TEXT)")
                  .arg(name),
              QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                      "INSERT INTO %2 SELECT i, 'K' || i, '名前 ' || i, i % 1000, i * 1.25, i * 100, "
                      "date('2000-01-01', '+' || (i % 9000) || ' days'), "
                      "datetime('2020-01-01 08:00:00', '+' || i || ' minutes'), i % 2, "
                      "'備考 \"' || i || '\" ここまで' FROM n")
                  .arg(rows)
                  .arg(name)});
}

void openTable(const QString& name) {
  FormMain->ComboBox_Tables->setEditText(name);
  FormMain->ButtonOpenClick(FormMain->ButtonOpen);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The 400 rows a user's press copies, pressed several times from the first record.
void pressedCopies(korvel::ScriptedPrompt& prompt, const QString& dir) {
  std::vector<double> clip, excel;
  for (int i = 0; i < 7; ++i) {
    FormMain->Table_Paradox->first();
    clip.push_back(timed([] { FormMain->BitBtnCopyClick(FormMain->BitBtnCopy); }).wall * 1000);
    FormMain->Table_Paradox->first();
    prompt.fileAnswers.push_back(dir + "/press.xlsx");
    excel.push_back(timed([] { FormMain->BitBtnCopyClick(FormMain->BitBtnExcelCopy); }).wall * 1000);
  }
  const int lines = QApplication::clipboard()->text().count("\r\n");
  std::printf("Clip Copy 400 rows (pressed, 7 times): median %.1f ms, best %.1f ms (%d lines on the clipboard)\n",
              median(clip), *std::min_element(clip.begin(), clip.end()), lines);
  std::printf("Excel Copy 400 rows (pressed, 7 times): median %.1f ms, best %.1f ms (%lld bytes)\n", median(excel),
              *std::min_element(excel.begin(), excel.end()), QFileInfo(dir + "/press.xlsx").size());
}

std::vector<int> allFields() {
  std::vector<int> fields;
  for (int i = 0; i < FormMain->Table_Paradox->fieldCount(); ++i) fields.push_back(i);
  return fields;
}

QStringList labels() {
  QStringList out;
  for (int i = 0; i < FormMain->Table_Paradox->fieldCount(); ++i) out << FormMain->Table_Paradox->field(i).displayName();
  return out;
}

void bigCopies(const QString& dir, int rows) {
  korvel::db::Table* table = FormMain->Table_Paradox;
  // As the window does while it copies: the grid does not follow the walk.
  FormMain->DataSource_Paradox->disableControls();
  const std::vector<int> fields = allFields();
  const auto always = [](int) { return true; };

  long before = peakKb();
  table->first();
  korvel::ClipTextSink text;
  int copied = 0;
  const Times clip = timed([&] {
    text.titles(labels());
    copied = korvel::copyGridRecords(*table, fields, rows, text, always);
    QApplication::clipboard()->setText(text.text());
  });
  std::printf("Clip Copy %d rows (limit lifted): %.2f s (%.0f rows/s; CPU %.2f s), %lld characters, "
              "peak memory %ld KB (before %ld KB)\n",
              copied, clip.wall, copied / clip.wall, clip.cpu, static_cast<long long>(text.text().size()), peakKb(),
              before);

  before = peakKb();
  table->first();
  const QString xlsx = dir + "/big.xlsx";
  const Times excel = timed([&] {
    korvel::WorkbookFile book(xlsx);
    korvel::XlsxGridSink sink(book);
    sink.titles(labels());
    copied = korvel::copyGridRecords(*table, fields, rows, sink, always);
    book.commit();
  });

  // The sqlite3 shell writing the same rows as CSV, in the same run.
  QProcess shell;
  shell.setStandardOutputFile(dir + "/big.csv");
  QElapsedTimer timer;
  const double cpu0 = childrenCpuSeconds();
  timer.start();
  shell.start("sqlite3", {"-csv", "-header", dir + "/bench.sqlite", QString("SELECT * FROM BIG LIMIT %1").arg(rows)});
  shell.waitForFinished(600000);
  const Times csv{timer.nsecsElapsed() / 1e9, childrenCpuSeconds() - cpu0};

  std::printf("Excel Copy %d rows (limit lifted): %.2f s (%.0f rows/s; CPU %.2f s), %lld bytes, peak memory %ld KB "
              "(before %ld KB)\n",
              copied, excel.wall, copied / excel.wall, excel.cpu, QFileInfo(xlsx).size(), peakKb(), before);
  FormMain->DataSource_Paradox->enableControls();
  std::printf("sqlite3 -csv of the same rows: %.2f s (CPU %.2f s), %lld bytes; Excel Copy / sqlite3 = %.2f (wall), "
              "%.2f (CPU)\n",
              csv.wall, csv.cpu, QFileInfo(dir + "/big.csv").size(), excel.wall / csv.wall, excel.cpu / csv.cpu);

  // The workbook writer alone, given cells of the same shape from memory (no
  // table read, no value conversion): what any Excel Copy costs at least.
  const Times floor = timed([&] {
    korvel::WorkbookFile book(dir + "/floor.xlsx");
    const QDate day(2000, 1, 1);
    const QDateTime stamp(QDate(2020, 1, 1), QTime(8, 0));
    for (int r = 1; r <= rows; ++r) {
      book.number(r, 0, r);
      book.text(r, 1, QStringLiteral("K%1").arg(r));
      book.text(r, 2, QStringLiteral("名前 %1").arg(r));
      book.number(r, 3, r % 1000);
      book.number(r, 4, r * 1.25);
      book.number(r, 5, r * 100.0);
      book.date(r, 6, day.addDays(r % 9000));
      book.dateTime(r, 7, stamp.addSecs(r * 60LL));
      book.boolean(r, 8, r % 2);
      book.text(r, 9, QStringLiteral("備考 \"%1\" ここまで").arg(r));
    }
    book.commit();
  });
  std::printf("Workbook writer alone, same cells from memory: %.2f s (CPU %.2f s); / sqlite3 = %.2f (wall), "
              "%.2f (CPU)\n",
              floor.wall, floor.cpu, floor.wall / csv.wall, floor.cpu / csv.cpu);
}

void paste(korvel::ScriptedPrompt& prompt, int lines) {
  openTable("PASTE");
  QString text;
  for (int i = 1; i <= lines; ++i)
    text += QString("%1\tP%1\t貼り付け %1\t%2\t%3\t%4\t2001/02/03\t2022/01/02 03:04:05\tTrue\t行 %1\r\n")
                .arg(i)
                .arg(i % 500)
                .arg(i * 0.5)
                .arg(i * 7);
  QApplication::clipboard()->setText(text);
  FormMain->Table_Paradox->first();
  FormMain->DBGrid1->setCurrentIndex(FormMain->DBGrid1->model()->index(0, 0));
  const int messages = prompt.messageCount();
  const long before = peakKb();
  const Times t = timed([] {
    FormMain->BitBtn1Click();
    FormMain->Button8Click();
  });
  std::printf("FromClip %d lines x 10 cells: %.2f s (%.0f lines/s; CPU %.2f s), peak memory %ld KB (before %ld KB);"
              " messages shown: %d\n",
              lines, t.wall, lines / t.wall, t.cpu, peakKb(), before, prompt.messageCount() - messages);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  korvel::ui::Application app(argc, argv);
  const int bigRows = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int pasteLines = argc > 2 ? std::atoi(argv[2]) : 10000;
  QTemporaryDir dir;
  qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toLocal8Bit());
  qputenv("XDG_DATA_HOME", (dir.path() + "/data").toLocal8Bit());
  qputenv("KORVEL_ALIASES", (dir.path() + "/aliases.ini").toLocal8Bit());
  korvel::ScriptedPrompt prompt;  // nothing may block; messages are counted

  const QString file = dir.path() + "/bench.sqlite";
  makeTable(file, "BIG", bigRows);
  makeTable(file, "PASTE", pasteLines);
  QFile aliases(dir.path() + "/aliases.ini");
  aliases.open(QIODevice::WriteOnly);
  aliases.write(("[BENCH]\nTYPE=SQLITE\nPATH=" + file + "\n").toUtf8());
  aliases.close();
  korvel::createWindows();
  FormMain->show();

  openTable("BIG");
  pressedCopies(prompt, dir.path());
  bigCopies(dir.path(), bigRows);
  paste(prompt, pasteLines);
  std::printf("messages shown in all: %d%s%s\n", prompt.messageCount(), prompt.messageCount() ? ": " : "",
              qPrintable(prompt.lastMessage()));
  korvel::destroyWindows();
  return 0;
}
