#include "common/textfile.h"

#include <QFile>
#include <QString>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

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

// Reads the next block; false on a read error.
bool readBlock(Qz_FTRecord& f) {
  f.blockLength = std::fread(f.block.data(), 1, Qz_FTRecord::kBlockSize, f.stream);
  if (std::ferror(f.stream)) return false;
  if (f.blockLength < Qz_FTRecord::kBlockSize) f.endOfStream = -3;
  f.pendingAt = 0;
  f.pendingFlag = true;
  return true;
}

}  // namespace

Qz_FTRecord::~Qz_FTRecord() {
  if (stream) std::fclose(stream);
}

int Qz_FTOpen(Qz_FTRecord& f) {
  f.status = -1;
  if (f.stream) {  // opened again without a close: release the old stream
    std::fclose(f.stream);
    f.stream = nullptr;
  }
  if (!isReadableFile(f.fileName)) {
    errorBox(QStringLiteral("*E:ファイルが存在しません。(Qz_FTOpen:") + shownName(f.fileName) +
             QStringLiteral(")"));
    return -1;
  }
  f.stream = std::fopen(nativeName(f.fileName).constData(), "rb");
  if (!f.stream) {
    errorBox(QStringLiteral("*E:ファイルを開けません。(Qz_FTOpen:") + shownName(f.fileName) +
             QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)) +
             QStringLiteral(")"));
    return -1;
  }
  std::setvbuf(f.stream, nullptr, _IOFBF, 1 << 16);
  f.line.clear();
  f.blockLength = f.pendingAt = 0;
  f.pendingFlag = false;
  f.endOfStream = 0;
  f.skipLineFeed = false;
  f.status = 0;
  return 0;
}

int Qz_FTRead(Qz_FTRecord& f) {
  f.line.clear();
  if (!f.stream) {
    f.status = -1;
    return -1;
  }
  f.status = -1;
  bool collected = false;  // bytes of a line without its break so far
  for (;;) {
    if (f.pendingAt >= f.blockLength) {  // the pending text is used up
      f.pendingFlag = false;
      if (f.endOfStream == -3) {
        if (collected) {  // a last line without a line break
          f.status = 0;
          return 0;
        }
        f.status = -3;
        return -2;
      }
      if (!readBlock(f)) return -1;
      continue;
    }
    const char* begin = f.block.data() + f.pendingAt;
    const char* end = f.block.data() + f.blockLength;
    if (f.skipLineFeed) {  // the CR of a CR LF pair ended the previous block
      f.skipLineFeed = false;
      if (*begin == '\n') {
        ++f.pendingAt;
        continue;
      }
    }
    const char* lf = static_cast<const char*>(std::memchr(begin, '\n', static_cast<size_t>(end - begin)));
    const char* stop = lf ? lf : end;
    const char* cr = static_cast<const char*>(std::memchr(begin, '\r', static_cast<size_t>(stop - begin)));
    const char* lineEnd = cr ? cr : lf;
    if (!lineEnd) {  // no break in this block: the line goes on in the next one
      f.line.append(begin, end);
      collected = true;
      f.pendingAt = f.blockLength;
      continue;
    }
    f.line.append(begin, lineEnd);
    size_t next = static_cast<size_t>(lineEnd - f.block.data()) + 1;
    if (*lineEnd == '\r') {
      if (next < f.blockLength) {
        if (f.block[next] == '\n') ++next;
      } else {
        f.skipLineFeed = true;
      }
    }
    f.pendingAt = next;
    f.pendingFlag = next < f.blockLength;
    f.status = 0;
    return 0;
  }
}

int Qz_FTClose(Qz_FTRecord& f) {
  if (f.stream && std::fclose(f.stream) != 0)
    errorBox(QStringLiteral("*E:Qz_FTCloseでエラーが発生しました。"));
  f.stream = nullptr;
  f.status = 0;
  return 0;
}
