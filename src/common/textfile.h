#pragma once
// Line-by-line text-file reader walked through a control record:
//   Qz_FTRecord f; f.fileName = "script.sql";
//   if (Qz_FTOpen(f) == 0) { while (Qz_FTRead(f) == 0) use(f.line); Qz_FTClose(f); }
// A line ends at CR LF, CR or LF (a CR LF split across blocks counts once);
// a last line without a line break is returned too. Bytes are taken as they
// are (CP932, no conversion; a zero byte is an ordinary byte). The file is
// read in blocks of 1024 bytes.

#include <array>
#include <cstdio>
#include <string>

struct Qz_FTRecord {
  static constexpr size_t kBlockSize = 1024;

  std::string fileName;  // CP932; the only field the caller sets
  std::string line;      // the last line read, without its line break
  int status = -1;       // -1 not open or failed, 0 a line was read, -3 end of file

  // Reading state.
  std::FILE* stream = nullptr;
  std::array<char, kBlockSize> block{};
  size_t blockLength = 0;   // bytes of the last block read
  size_t pendingAt = 0;     // start of the pending text within the block
  bool pendingFlag = false; // the pending text is the next source of bytes
  int endOfStream = 0;      // -3 once a block came back short
  bool skipLineFeed = false;// the last block ended in CR: drop an LF that follows

  Qz_FTRecord() = default;
  Qz_FTRecord(const Qz_FTRecord&) = delete;
  Qz_FTRecord& operator=(const Qz_FTRecord&) = delete;
  ~Qz_FTRecord();  // closes a stream left open
};

// 0 opened; -1 failed (a missing file is reported in an error box).
int Qz_FTOpen(Qz_FTRecord& f);
// 0 a line is in f.line; -2 end of file; -1 read error.
int Qz_FTRead(Qz_FTRecord& f);
// Releases the stream; 0. A failing close is reported in an error box.
int Qz_FTClose(Qz_FTRecord& f);
