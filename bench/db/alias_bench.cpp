// Loading a large alias file: the time the engine takes to read 10,000 and
// 100,000 aliases (five parameters each) and to look every one of them up by
// name, and the time to write one settings value into a settings file with
// as many keys.
//
//   bench_db_aliases [folder]   the files are written there (default /tmp)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <ctime>
#include <string>

#include "common/settings.h"
#include "db/engine.h"

using korvel::db::Engine;

namespace {

// Processor time of this process in milliseconds: on a busy machine the wall
// clock also counts the time spent waiting for a processor.
double cpuMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

bool writeAliasFile(const QString& path, int count) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  QByteArray text;
  text.reserve(count * 110);
  for (int i = 0; i < count; ++i)
    text += QStringLiteral("[ALIAS%1]\r\nTYPE=POSTGRESQL\r\nSERVER NAME=db%1.example\r\nPORT=5432\r\n"
                           "DATABASE NAME=sales%1\r\nUSER NAME=clerk\r\n\r\n")
                .arg(i)
                .toLatin1();
  return file.write(text) == text.size();
}

void measureAliases(const QString& folder, int count) {
  const QString path = QStringLiteral("%1/korvel-bench-aliases-%2.ini").arg(folder).arg(count);
  if (!writeAliasFile(path, count)) {
    std::printf("cannot write %s\n", qPrintable(path));
    return;
  }
  qputenv("KORVEL_ALIASES", path.toUtf8());
  QElapsedTimer timer;
  timer.start();
  double cpu = cpuMs();
  const QStringList problems = Engine::instance().loadAliases();
  const QStringList names = Engine::instance().aliasNames();
  const qint64 loadMs = timer.elapsed();
  const double loadCpuMs = cpuMs() - cpu;
  timer.restart();
  cpu = cpuMs();
  int found = 0;
  for (const QString& name : names)
    if (Engine::instance().aliasType(name) == u"POSTGRESQL") ++found;
  const qint64 lookupMs = timer.elapsed();
  const double lookupCpuMs = cpuMs() - cpu;
  std::printf("%7d aliases: load %6lld ms (cpu %6.0f ms, %8.0f aliases/s); look up each by name "
              "%5lld ms (cpu %5.0f ms); %d found, %lld problems\n",
              count, static_cast<long long>(loadMs), loadCpuMs,
              loadCpuMs > 0 ? count * 1000.0 / loadCpuMs : 0.0, static_cast<long long>(lookupMs),
              lookupCpuMs, found, static_cast<long long>(problems.size()));
  QFile::remove(path);
}

void measureSettingsWrite(const QString& folder, int keys) {
  const std::string path = QStringLiteral("%1/korvel-bench-settings-%2.ini").arg(folder).arg(keys).toStdString();
  QFile::remove(QString::fromStdString(path));
  std::string text = "; settings written by the benchmark\r\n[DB]\r\n";
  for (int i = 0; i < keys; ++i) text += "K" + std::to_string(i) + "=value " + std::to_string(i) + "\r\n";
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) return;
  file.write(text.data(), static_cast<qint64>(text.size()));
  file.close();
  QElapsedTimer timer;
  timer.start();
  const double cpu = cpuMs();
  const bool written = Qz_IniWrite(path, "DB", "Alias", "DEMO");
  std::printf("%7d settings keys: write one value %lld ms (cpu %.0f ms, %s)\n", keys,
              static_cast<long long>(timer.elapsed()), cpuMs() - cpu, written ? "written" : "FAILED");
  QFile::remove(QString::fromStdString(path));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp");
  for (int count : {10000, 100000}) measureAliases(folder, count);
  measureSettingsWrite(folder, 100000);
  return 0;
}
