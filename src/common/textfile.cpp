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
#include "ui/prompt.h"

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

// Marks the CR and LF bytes of the current block in f.breaks, sixteen bytes
// at a time. Finding the end of each line is then a bit search.
void markLineBreaks(Qz_FTRecord& f) {
  f.breaks.fill(0);
  const char* block = f.buffer.get() + f.blockStart;
  const size_t length = f.blockEnd - f.blockStart;
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; i + 16 <= length; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + i));
    const auto mask = static_cast<std::uint64_t>(static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)))));
    f.breaks[i / 64] |= mask << (i % 64);
  }
#endif
  for (; i < length; ++i)
    if (block[i] == '\r' || block[i] == '\n') f.breaks[i / 64] |= std::uint64_t{1} << (i % 64);
}

// Offset within the block of the first CR or LF at or after `from`, or the
// block length when there is none.
size_t nextLineBreak(const Qz_FTRecord& f, size_t from) {
  const size_t length = f.blockEnd - f.blockStart;
  size_t word = from / 64;
  if (word >= f.breaks.size()) return length;
  std::uint64_t bits = f.breaks[word] & (~std::uint64_t{0} << (from % 64));
  while (bits == 0) {
    if (++word == f.breaks.size()) return length;
    bits = f.breaks[word];
  }
  return std::min(word * 64 + static_cast<size_t>(__builtin_ctzll(bits)), length);
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
  f.blockStart = f.blockEnd = 0;
  f.pendingAt = 0;
  return true;
}

// Moves on to the next block of up to 1024 bytes. False at the end of the
// file (result 0) or on a read error (result -1).
bool nextBlock(Qz_FTRecord& f, int& result) {
  result = 0;
  if (f.blockEnd >= f.bufferLength) {
    if (f.endOfStream == -3) return false;
    if (!fillBuffer(f)) {
      result = -1;
      return false;
    }
    if (f.bufferLength == 0) return false;
  }
  f.blockStart = f.pendingAt = f.blockEnd;
  f.blockEnd = std::min(f.blockEnd + Qz_FTRecord::kBlockSize, f.bufferLength);
  f.pendingFlag = true;
  markLineBreaks(f);
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
  f.buffer = std::make_unique<char[]>(Qz_FTRecord::kReadSize);
  f.line.clear();
  f.bufferLength = f.blockStart = f.blockEnd = f.pendingAt = 0;
  f.pendingFlag = false;
  f.endOfStream = 0;
  f.skipLineFeed = false;
  f.status = 0;
  return 0;
}

int Qz_FTRead(Qz_FTRecord& f) {
  f.line.clear();
  f.status = -1;
  if (f.stream < 0) return -1;
  bool collected = false;  // bytes of a line without its break so far
  for (;;) {
    if (f.pendingAt >= f.blockEnd) {  // the pending text is used up
      f.pendingFlag = false;
      int result = 0;
      if (!nextBlock(f, result)) {
        if (result < 0) return -1;
        if (collected) {  // a last line without a line break
          f.status = 0;
          return 0;
        }
        f.status = -3;
        return -2;
      }
    }
    const char* base = f.buffer.get();
    const char* begin = base + f.pendingAt;
    const char* end = base + f.blockEnd;
    if (f.skipLineFeed) {  // the CR of a CR LF pair ended the previous block
      f.skipLineFeed = false;
      if (*begin == '\n') {
        ++f.pendingAt;
        continue;
      }
    }
    const char* lineEnd = base + f.blockStart + nextLineBreak(f, f.pendingAt - f.blockStart);
    if (lineEnd == end) {  // no break in this block: the line goes on in the next one
      f.line.append(begin, static_cast<size_t>(end - begin));
      collected = true;
      f.pendingAt = f.blockEnd;
      continue;
    }
    f.line.append(begin, static_cast<size_t>(lineEnd - begin));
    size_t next = static_cast<size_t>(lineEnd - base) + 1;
    if (*lineEnd == '\r') {
      if (next < f.blockEnd) {
        if (base[next] == '\n') ++next;
      } else {
        f.skipLineFeed = true;
      }
    }
    f.pendingAt = next;
    f.pendingFlag = next < f.blockEnd;
    f.status = 0;
    return 0;
  }
}

int Qz_FTClose(Qz_FTRecord& f) {
  releaseStream(f, true);
  f.status = 0;
  return 0;
}
