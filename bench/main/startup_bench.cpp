// Start-up and exit of the program as a user meets them: the program is
// started with 50 SQLite aliases, and the time to its first shown and painted
// main window and the time from closing that window (as F9 does) to the end of
// the process are measured, with the processor time spent in each. The
// settings file must have been written when the process ends.
//
//   bench_startup [runs] [program]
//
// Without a display (DISPLAY unset) the program runs on the offscreen
// platform; under an X server (Xvfb) it draws for real.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kAliases = 50;

bool makeDatabase(const QString& path) {
  bool ok = false;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
    db.setDatabaseName(path);
    if (db.open()) {
      QSqlQuery q(db);
      ok = q.exec(QStringLiteral("CREATE TABLE EMP (EMPNO INTEGER PRIMARY KEY, DEPT_CODE CHAR(4), "
                                 "ENAME VARCHAR(10), SAL NUMERIC(8,2), HIRED DATE)")) &&
           q.exec(QStringLiteral("CREATE TABLE DEPT (DEPT_CODE CHAR(4) PRIMARY KEY, DNAME VARCHAR(20))")) &&
           q.exec(QStringLiteral("CREATE TABLE ITEMS (ID INTEGER PRIMARY KEY, CODE VARCHAR(20))"));
      db.close();
    }
  }
  QSqlDatabase::removeDatabase(QStringLiteral("make"));
  return ok;
}

bool writeSetup(const QDir& dir) {
  QByteArray aliases;
  for (int i = 0; i < kAliases; ++i) {
    const QString db = dir.filePath(QStringLiteral("data/db%1.sqlite").arg(i));
    if (!makeDatabase(db)) return false;
    aliases += QStringLiteral("[A%1]\nTYPE=SQLITE\nPATH=%2\n\n").arg(i, 2, 10, QLatin1Char('0')).arg(db).toUtf8();
  }
  QFile file(dir.filePath(QStringLiteral("aliases.ini")));
  return file.open(QIODevice::WriteOnly) && file.write(aliases) == aliases.size();
}

double childrenCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_utime.tv_sec * 1000.0 + usage.ru_utime.tv_usec / 1000.0 +
         usage.ru_stime.tv_sec * 1000.0 + usage.ru_stime.tv_usec / 1000.0;
}

// Processor time a running process has used so far (from /proc).
double processCpuMs(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return -1;
  const QByteArray text = stat.readAll();
  const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 13) return -1;
  const double ticks = fields[11].toDouble() + fields[12].toDouble();  // utime, stime
  return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Run {
  double shownMs = -1, shownCpuMs = -1, exitMs = -1, exitCpuMs = -1;
  bool settingsWritten = false;
};

Run runOnce(const QString& program, const QDir& dir) {
  Run run;
  QFile::remove(dir.filePath(QStringLiteral("config/korvel/FormMain.ini")));
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
  env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
  env.insert(QStringLiteral("KORVEL_ALIASES"), dir.filePath(QStringLiteral("aliases.ini")));
  env.insert(QStringLiteral("KORVEL_SHOW_AND_CLOSE"), QStringLiteral("1"));
  if (!env.contains(QStringLiteral("DISPLAY")) && !env.contains(QStringLiteral("QT_QPA_PLATFORM")))
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  process.setProcessEnvironment(env);
  process.setProcessChannelMode(QProcess::SeparateChannels);
  const double cpuBefore = childrenCpuMs();
  QElapsedTimer clock;
  clock.start();
  process.start(program, {});
  if (!process.waitForStarted(10000)) return run;
  QByteArray out;
  while (!out.contains("closing") && process.state() == QProcess::Running) {
    process.waitForReadyRead(20000);
    out += process.readAllStandardOutput();
    if (out.contains("shown") && run.shownMs < 0) {
      run.shownMs = clock.nsecsElapsed() / 1e6;
      run.shownCpuMs = processCpuMs(process.processId());
    }
  }
  const double closing = clock.nsecsElapsed() / 1e6;
  process.waitForFinished(30000);
  run.exitMs = clock.nsecsElapsed() / 1e6 - closing;
  run.exitCpuMs = childrenCpuMs() - cpuBefore - run.shownCpuMs;
  QFile settings(dir.filePath(QStringLiteral("config/korvel/FormMain.ini")));
  run.settingsWritten = settings.open(QIODevice::ReadOnly) && settings.readAll().contains("Alias=A00");
  return run;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
  const QString program = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(KORVEL_PROGRAM);
  QTemporaryDir tmp;
  QDir dir(tmp.path());
  dir.mkpath(QStringLiteral("data"));
  dir.mkpath(QStringLiteral("config/korvel"));
  if (!writeSetup(dir)) {
    std::printf("cannot write the aliases and databases in %s\n", qPrintable(tmp.path()));
    return 1;
  }
  std::printf("program %s, %d aliases, platform %s\n", qPrintable(program), kAliases,
              qEnvironmentVariableIsSet("DISPLAY") ? "X display" : "offscreen");
  runOnce(program, dir);  // warms the file cache
  std::vector<double> shown, shownCpu, exitMs, exitCpu;
  int written = 0;
  for (int i = 0; i < runs; ++i) {
    const Run r = runOnce(program, dir);
    std::printf("run %d: first window %.1f ms (cpu %.1f ms), exit %.1f ms (cpu %.1f ms), settings %s\n",
                i + 1, r.shownMs, r.shownCpuMs, r.exitMs, r.exitCpuMs,
                r.settingsWritten ? "written" : "NOT WRITTEN");
    shown.push_back(r.shownMs);
    shownCpu.push_back(r.shownCpuMs);
    exitMs.push_back(r.exitMs);
    exitCpu.push_back(r.exitCpuMs);
    written += r.settingsWritten ? 1 : 0;
  }
  std::printf("median: first window %.1f ms (cpu %.1f ms), exit after close %.1f ms (cpu %.1f ms); "
              "settings written in %d of %d runs\n",
              median(shown), median(shownCpu), median(exitMs), median(exitCpu), written, runs);
  return 0;
}
