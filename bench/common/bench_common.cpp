// Throughput of the CP932 string routines over mixed text, and of the
// text-file reader next to `wc -l` on the same file. Prints MB/s for 10 MB
// and 100 MB so that linearity can be read off. Times are CPU seconds (the
// machine may be shared); the reader's are also given as wall time, best of
// five runs on a warm page cache. Never fails on timings.
//
//   bench_common [--reader] [megabytes ...]     (default: 10 100)

#include <malloc.h>
#include <sys/resource.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "common/strings.h"
#include "common/textfile.h"

namespace {

// Mixed text: ASCII words and SQL, kanji and hiragana (double-byte, with
// trail bytes in the ASCII range), half-width katakana, CR LF and LF lines.
std::string mixedText(size_t bytes) {
  static const char* const pieces[] = {
      "SELECT ", "name", ", ", "'O''Neil'", " FROM ", "table_1", " WHERE ", "x = 12.5",
      "\x95\x5c\x8e\xa6",          // 表示
      "\x93\xfa\x96\x7b\x8c\xea",  // 日本語
      "\x83\x5c\x83\x74\x83\x67",  // ソフト
      "\x82\xa0\x82\xa2",          // あい
      "\xb1\xb2\xb3",              // ｱｲｳ
      "  ", "\t", "abc", "ABC"};
  std::mt19937 rng(42);
  std::string out;
  out.reserve(bytes + 64);
  size_t lineLength = 0;
  while (out.size() < bytes) {
    out += pieces[rng() % std::size(pieces)];
    if (++lineLength > 8 + rng() % 8) {
      out += (rng() % 2) ? "\r\n" : "\n";
      lineLength = 0;
    }
  }
  out.resize(bytes);
  return out;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') {
      lines.emplace_back(text, start, i - start);
      start = i + 1;
    }
  return lines;
}

// CPU time of this process: the machine is shared, so wall time would
// measure the neighbours as well.
double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

double seconds(const std::function<void()>& work) {
  const double t0 = cpuSeconds();
  work();
  return cpuSeconds() - t0;
}

double wallSeconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

double childrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void report(const char* name, size_t bytes, double secs, size_t checksum) {
  std::printf("  %-36s %8.1f MB/s  (%.3f s, check %zu)\n", name, bytes / 1e6 / secs, secs,
              checksum);
}

void benchStrings(size_t megabytes) {
  const std::string text = mixedText(megabytes * 1000000);
  const auto lines = splitLines(text);
  std::printf("%zu MB of mixed CP932 text, %zu lines\n", megabytes, lines.size());
  size_t sum = 0;
  double t = seconds([&] { sum = Qz_UpperHalf(text).size(); });
  report("Qz_UpperHalf (whole text)", text.size(), t, sum);

  t = seconds([&] { sum = Qz_SubBytes(text, 3, static_cast<int>(text.size()) - 5).size(); });
  report("Qz_SubBytes (whole text)", text.size(), t, sum);

  sum = 0;
  t = seconds([&] {
    for (const auto& l : lines) sum += Qz_SubBytes(l, 7, 20).size();
  });
  report("Qz_SubBytes (7, 20 of every line)", text.size(), t, sum);

  // Deep positions do not walk from the start of the text: time per call.
  sum = 0;
  size_t calls = 0;
  t = seconds([&] {
    for (int round = 0; round < 20; ++round)
      for (int start = 1; start < static_cast<int>(text.size()); start += 4096, ++calls)
        sum += Qz_SubBytes(text, start, 64).size();
  });
  std::printf("  %-36s %8.3f us per call (%zu calls, check %zu)\n",
              "Qz_SubBytes (64 bytes every 4 KB)", t * 1e6 / static_cast<double>(calls), calls, sum);

  sum = 0;
  t = seconds([&] {
    std::vector<std::string> tokens;
    for (const auto& l : lines) {
      Qz_SplitTokens(l, tokens);
      sum += tokens.size();
    }
  });
  report("Qz_SplitTokens (every line)", text.size(), t, sum);

  t = seconds([&] { sum = Qz_ReplaceAll(text, "'", "''").size(); });
  report("Qz_ReplaceAll (' -> '', whole text)", text.size(), t, sum);
  t = seconds([&] { sum = Qz_ReplaceAll(text, "\x5c", "/").size(); });
  report("Qz_ReplaceAll (0x5C -> /, whole text)", text.size(), t, sum);
  t = seconds([&] { sum = Qz_ReplaceAll(text, "\x8e\xa6", "XX").size(); });
  report("Qz_ReplaceAll (kanji, whole text)", text.size(), t, sum);
}

// Runs a command and returns the CPU time of the processes it started;
// `wall` gets the elapsed time, shell start included.
double timedCommand(const std::string& command, double* wall = nullptr) {
  const double t0 = childrenCpuSeconds();
  const double w0 = wallSeconds();
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
  if (wall) *wall = wallSeconds() - w0;
  return childrenCpuSeconds() - t0;
}

void benchReader(size_t megabytes) {
  const std::string path = "/tmp/korvel-bench-reader.txt";
  {
    const std::string text = mixedText(megabytes * 1000000);
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
  }
  const double bytes = megabytes * 1e6;
  timedCommand("wc -l " + path + " > /dev/null");  // warm the page cache
  size_t lines = 0;
  double best = 1e9, bestWc = 1e9, bestWall = 1e9, bestWcWall = 1e9;
  constexpr int kRounds = 5;
  for (int round = 0; round < kRounds; ++round) {
    double wcWall = 0;
    bestWc = std::min(bestWc, timedCommand("exec wc -l " + path + " > /dev/null", &wcWall));
    bestWcWall = std::min(bestWcWall, wcWall);
    const double w0 = wallSeconds();
    best = std::min(best, seconds([&] {
      Qz_FTRecord f;
      f.fileName = path;
      lines = 0;
      if (Qz_FTOpen(f) != 0) return;
      while (Qz_FTRead(f) == 0) ++lines;
      Qz_FTClose(f);
    }));
    bestWall = std::min(bestWall, wallSeconds() - w0);
  }
  std::printf("%zu MB file, %zu lines (best of %d; CPU time, wall time in brackets)\n", megabytes,
              lines, kRounds);
  std::printf("  %-36s %8.1f MB/s  (%.4f s) [%8.1f MB/s, %.4f s]\n", "Qz_FTRead",
              bytes / 1e6 / best, best, bytes / 1e6 / bestWall, bestWall);
  std::printf("  %-36s %8.1f MB/s  (%.4f s) [%8.1f MB/s, %.4f s]  wc and its shell\n", "wc -l",
              bytes / 1e6 / bestWc, bestWc, bytes / 1e6 / bestWcWall, bestWcWall);
  std::printf("  reader time / wc time: %.2f CPU, %.2f wall\n", best / bestWc,
              bestWall / bestWcWall);
  std::remove(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  // Keep big results in the heap: otherwise every 100 MB result is a fresh
  // mapping whose page faults are timed while the 10 MB ones reuse memory.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  std::vector<size_t> sizes;
  bool readerOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--reader") readerOnly = true;
    else sizes.push_back(std::strtoul(argv[i], nullptr, 10));
  }
  if (sizes.empty()) sizes = {10, 100};
  if (!readerOnly)
    for (size_t mb : sizes) benchStrings(mb);
  for (size_t mb : sizes) benchReader(mb);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
}
