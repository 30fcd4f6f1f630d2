#pragma once
// Line-by-line text-file reader walked through a control record:
//   Qz_FTRecord f; f.fileName = "script.sql";
//   if (Qz_FTOpen(f) == 0) { while (Qz_FTRead(f) == 0) use(f.line); Qz_FTClose(f); }
// A line ends at CR LF, CR or LF (a CR LF split across blocks counts once);
// a last line without a line break is returned too. Bytes are taken as they
// are (CP932, no conversion; a zero byte is an ordinary byte). The file is
// read 64 blocks of 1024 bytes at a time.

#include <cstdint>
#include <memory>
#include <string>

struct Qz_FTRecord {
  static constexpr size_t kBlockSize = 1024;           // the unit of a read
  static constexpr size_t kReadSize = 64 * kBlockSize; // bytes asked of the system at once

  std::string fileName;  // CP932; the only field the caller sets
  std::string line;      // the last line read, without its line break
  int status = -1;       // -1 not open or failed, 0 a line was read, -3 end of file

  // Reading state. Lines are taken straight out of the read buffer; its
  // CR and LF bytes are found 64 at a time, as one bit mask per 64 bytes.
  int stream = -1;                  // file descriptor
  std::unique_ptr<char[]> buffer;   // kReadSize bytes and kPadding zero bytes after the data
  size_t bufferLength = 0;          // bytes of the last read
  size_t pendingAt = 0;             // start of the next line's bytes within the buffer
  size_t chunkAt = 0;               // the 64 bytes whose breaks are in chunkBreaks
  std::uint64_t chunkBreaks = 0;    // bit i: byte chunkAt + i is a CR or LF not yet used
  int endOfStream = 0;              // -3 once a read came back short
  bool skipLineFeed = false;        // the last read ended in CR: drop an LF that follows

  static constexpr size_t kPadding = 128;  // lets the scan of the next 64 bytes run past the data

  Qz_FTRecord() = default;
  Qz_FTRecord(const Qz_FTRecord&) = delete;
  Qz_FTRecord& operator=(const Qz_FTRecord&) = delete;
  ~Qz_FTRecord();  // closes a stream left open
};

// 0 opened; -1 failed (a missing or unreadable file is reported in an error box).
int Qz_FTOpen(Qz_FTRecord& f);
// 0 a line is in f.line; -2 end of file; -1 read error.
int Qz_FTRead(Qz_FTRecord& f);
// Releases the stream; 0. A failing close is reported in an error box.
int Qz_FTClose(Qz_FTRecord& f);
