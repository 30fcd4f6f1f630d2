#include "common/textfile.h"

#include <QFile>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/codepage.h"
#include "prompt/prompt.h"

namespace {

void errorBox(const QString& text) {
  korvel::prompt().message(text, QString(), korvel::PromptIcon::Error, korvel::PromptYes);
}

// The file name as the operating system spells it.
QByteArray nativeName(const std::string& cp932Name) {
  return QFile::encodeName(korvel::fromCp932(cp932Name));
}

// The name shown in messages: a relative name gets the current directory.
QString shownName(const std::string& fileName) {
  const QString name = korvel::fromCp932(fileName);
  if (fileName.empty() || fileName[0] == '/') return name;
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) return name;
  QString dir = QFile::decodeName(cwd);
  if (!dir.endsWith('/')) dir += '/';
  return dir + name;
}

bool isReadableFile(const std::string& fileName) {
  struct stat st{};
  return !fileName.empty() && ::stat(nativeName(fileName).constData(), &st) == 0 &&
         !S_ISDIR(st.st_mode);
}

// Bit i set: byte i of the 64 at `bytes` is a CR or LF.
std::uint64_t lineBreaksIn(const char* bytes) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  std::uint64_t mask = 0;
  for (int i = 0; i < 64; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    const auto part = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
    mask |= static_cast<std::uint64_t>(part) << i;
  }
  return mask;
#else
  std::uint64_t mask = 0;
  for (int i = 0; i < 64; ++i)
    if (bytes[i] == '\r' || bytes[i] == '\n') mask |= std::uint64_t{1} << i;
  return mask;
#endif
}

// Fills the buffer; a read that gives fewer bytes than asked marks the end
// of the stream. False on a read error.
bool fillBuffer(Qz_FTRecord& f) {
  size_t got = 0;
  while (got < Qz_FTRecord::kReadSize) {
    const ssize_t n = ::read(f.stream, f.buffer.get() + got, Qz_FTRecord::kReadSize - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  if (got < Qz_FTRecord::kReadSize) f.endOfStream = -3;
  f.bufferLength = got;
  // Zeros after the data: a scan past its end finds no line break there.
  std::memset(f.buffer.get() + got, 0, Qz_FTRecord::kPadding);
  f.pendingAt = 0;
  f.chunkAt = 0 - size_t{64};  // the first chunk is loaded on demand
  f.chunkBreaks = 0;
  if (f.skipLineFeed && got > 0) {  // the CR of a CR LF pair ended the last read
    f.skipLineFeed = false;
    if (f.buffer[0] == '\n') f.pendingAt = 1;
  }
  return true;
}

void releaseStream(Qz_FTRecord& f, bool reportFailure) {
  if (f.stream >= 0 && ::close(f.stream) != 0 && reportFailure)
    errorBox(QStringLiteral("*E:Qz_FTCloseでエラーが発生しました。"));
  f.stream = -1;
  f.buffer.reset();
}

}  // namespace

Qz_FTRecord::~Qz_FTRecord() { releaseStream(*this, false); }

int Qz_FTOpen(Qz_FTRecord& f) {
  f.status = -1;
  releaseStream(f, false);  // opened again without a close
  if (!isReadableFile(f.fileName)) {
    errorBox(QStringLiteral("*E:ファイルが存在しません。(Qz_FTOpen:") + shownName(f.fileName) +
             QStringLiteral(")"));
    return -1;
  }
  f.stream = ::open(nativeName(f.fileName).constData(), O_RDONLY | O_CLOEXEC);
  if (f.stream < 0) {
    errorBox(QStringLiteral("*E:ファイルを開けません。(Qz_FTOpen:") + shownName(f.fileName) +
             QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)) +
             QStringLiteral(")"));
    return -1;
  }
  f.buffer = std::make_unique<char[]>(Qz_FTRecord::kReadSize + Qz_FTRecord::kPadding);
  f.line.clear();
  f.bufferLength = f.pendingAt = 0;
  f.chunkAt = 0;
  f.chunkBreaks = 0;
  f.endOfStream = 0;
  f.skipLineFeed = false;
  f.status = 0;
  return 0;
}

namespace {

// The line runs to the end of the buffer: keeps its bytes and reads on.
// False when there is nothing more to read (result 0) or on a read error
// (result -1).
bool continueInNextRead(Qz_FTRecord& f, bool& collected, int& result) {
  result = 0;
  if (f.pendingAt < f.bufferLength) {
    f.line.append(f.buffer.get() + f.pendingAt, f.bufferLength - f.pendingAt);
    collected = true;
  }
  f.pendingAt = f.chunkAt = f.bufferLength;
  f.chunkBreaks = 0;
  if (f.endOfStream == -3) return false;
  if (!fillBuffer(f)) {
    result = -1;
    return false;
  }
  return f.bufferLength > 0;
}

// Moves to the next 64 bytes holding a line break; false at the end of the
// buffer. Breaks before the pending text (an LF already taken) are dropped.
bool nextChunkWithBreaks(Qz_FTRecord& f) {
  do {
    f.chunkAt += 64;
    if (f.chunkAt >= f.bufferLength) return false;
    const size_t used = f.pendingAt > f.chunkAt ? f.pendingAt - f.chunkAt : 0;  // below 64
    f.chunkBreaks = lineBreaksIn(f.buffer.get() + f.chunkAt) & (~std::uint64_t{0} << used);
  } while (f.chunkBreaks == 0);
  return true;
}

// Returns the line that ends at the next marked break and steps past its
// CR, LF or CR LF.
[[gnu::always_inline]] inline int takeLine(Qz_FTRecord& f) {
  const char* base = f.buffer.get();
  const size_t start = f.pendingAt;
  const size_t at = f.chunkAt + static_cast<size_t>(__builtin_ctzll(f.chunkBreaks));
  std::uint64_t breaks = f.chunkBreaks & (f.chunkBreaks - 1);
  // CR and LF are equally common, so the pair is handled without a branch:
  // the byte after the data is a zero, never an LF.
  const bool carriageReturn = base[at] == '\r';
  const bool pair = carriageReturn & (base[at + 1] == '\n');
  breaks &= breaks - static_cast<std::uint64_t>(pair);  // the pair's LF
  const size_t next = at + 1 + static_cast<size_t>(pair);
  // A CR that ends the read may have its LF at the start of the next one.
  f.skipLineFeed = carriageReturn & (at + 1 == f.bufferLength);
  // Whether this line took the window's last break cannot be predicted, so
  // the next window is scanned anyway and taken without a branch.
  const size_t nextAt = f.chunkAt + 64;
  const size_t used = next > nextAt ? next - nextAt : 0;  // below 64
  const std::uint64_t nextBreaks = lineBreaksIn(base + nextAt) & (~std::uint64_t{0} << used);
  const std::uint64_t exhausted = std::uint64_t{0} - static_cast<std::uint64_t>(breaks == 0);
  f.chunkBreaks = breaks | (nextBreaks & exhausted);
  f.chunkAt += 64 & static_cast<size_t>(exhausted);
  f.pendingAt = next;
  f.line.append(base + start, at - start);  // last: little stays live across the copy
  f.status = 0;
  return 0;
}

// The line goes on past the read buffer (rare: once per read), kept out of
// line so that the common case stays short.
[[gnu::noinline]] int readAcrossBuffers(Qz_FTRecord& f) {
  bool collected = false;  // bytes of a line without its break so far
  do {
    int result = 0;
    if (!continueInNextRead(f, collected, result)) {
      if (result < 0) return -1;
      if (collected) {  // a last line without a line break
        f.status = 0;
        return 0;
      }
      f.status = -3;
      return -2;
    }
  } while (!nextChunkWithBreaks(f));
  return takeLine(f);
}

}  // namespace

int Qz_FTRead(Qz_FTRecord& f) {
  f.line.clear();
  f.status = -1;
  if (f.stream < 0) return -1;
  if (f.chunkBreaks == 0 && !nextChunkWithBreaks(f)) return readAcrossBuffers(f);
  return takeLine(f);
}

int Qz_FTClose(Qz_FTRecord& f) {
  releaseStream(f, true);
  f.status = 0;
  return 0;
}
