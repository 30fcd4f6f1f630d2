#include "db/local/pagedfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>
#include <list>
#include <map>
#include <string>

namespace korvel::db::local {
namespace {
constexpr int64_t kPageSize = 64 * 1024;
constexpr size_t kMaxPages = 64;
}  // namespace

struct PagedFile {
  struct Page {
    std::string bytes;
    bool dirty = false;
    std::list<int64_t>::iterator use;
  };
  int fd = -1;
  int64_t size = 0;
  int64_t pos = 0;
  bool failed = false;
  std::map<int64_t, Page> pages;
  std::list<int64_t> recent;  // page numbers, most recently used first

  bool writeBack(int64_t number, Page& page) {
    if (!page.dirty) return true;
    const int64_t start = number * kPageSize;
    const int64_t length = std::min<int64_t>(kPageSize, size - start);
    for (int64_t done = 0; done < length;) {
      const ssize_t put = ::pwrite(fd, page.bytes.data() + done, static_cast<size_t>(length - done), start + done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return !(failed = true);
      done += put;
    }
    page.dirty = false;
    return true;
  }
  Page* page(int64_t number) {
    if (auto it = pages.find(number); it != pages.end()) {
      recent.splice(recent.begin(), recent, it->second.use);
      return &it->second;
    }
    while (pages.size() >= kMaxPages) {
      const int64_t oldest = recent.back();
      if (!writeBack(oldest, pages.at(oldest))) return nullptr;
      pages.erase(oldest);
      recent.pop_back();
    }
    Page fresh;
    fresh.bytes.assign(static_cast<size_t>(kPageSize), '\0');
    const int64_t start = number * kPageSize;
    for (int64_t done = 0; start + done < size && done < kPageSize;) {
      const ssize_t got = ::pread(fd, fresh.bytes.data() + done, static_cast<size_t>(kPageSize - done), start + done);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return (failed = true, nullptr);
      if (got == 0) break;
      done += got;
    }
    recent.push_front(number);
    fresh.use = recent.begin();
    return &pages.emplace(number, std::move(fresh)).first->second;
  }
  bool flushAll() {
    for (auto& [number, page] : pages)
      if (!writeBack(number, page)) return false;
    return !failed;
  }
};

namespace {

ssize_t readPaged(void* cookie, char* buffer, size_t length) {
  auto* file = static_cast<PagedFile*>(cookie);
  size_t done = 0;
  while (done < length && file->pos < file->size) {
    PagedFile::Page* page = file->page(file->pos / kPageSize);
    if (!page) return -1;
    const int64_t within = file->pos % kPageSize;
    const size_t take = static_cast<size_t>(std::min<int64_t>({kPageSize - within, file->size - file->pos,
                                                               static_cast<int64_t>(length - done)}));
    std::memcpy(buffer + done, page->bytes.data() + within, take);
    done += take;
    file->pos += static_cast<int64_t>(take);
  }
  return static_cast<ssize_t>(done);
}

ssize_t writePaged(void* cookie, const char* buffer, size_t length) {
  auto* file = static_cast<PagedFile*>(cookie);
  size_t done = 0;
  while (done < length) {
    PagedFile::Page* page = file->page(file->pos / kPageSize);
    if (!page) return done > 0 ? static_cast<ssize_t>(done) : -1;
    const int64_t within = file->pos % kPageSize;
    const size_t take = std::min<size_t>(static_cast<size_t>(kPageSize - within), length - done);
    std::memcpy(page->bytes.data() + within, buffer + done, take);
    page->dirty = true;
    done += take;
    file->pos += static_cast<int64_t>(take);
    file->size = std::max(file->size, file->pos);
  }
  return static_cast<ssize_t>(done);
}

int seekPaged(void* cookie, off64_t* offset, int whence) {
  auto* file = static_cast<PagedFile*>(cookie);
  const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? file->pos : file->size;
  if (base + *offset < 0) {
    errno = EINVAL;
    return -1;
  }
  file->pos = base + *offset;
  *offset = file->pos;
  return 0;
}

int closePaged(void* cookie) { return static_cast<PagedFile*>(cookie)->flushAll() ? 0 : -1; }

}  // namespace

std::unique_ptr<PagedStream> PagedStream::create(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::unique_ptr<PagedStream> paged(new PagedStream);
  paged->file_ = std::make_unique<PagedFile>();
  paged->file_->fd = fd;
  paged->stream_ = fopencookie(paged->file_.get(), "w+", {readPaged, writePaged, seekPaged, closePaged});
  if (!paged->stream_) return nullptr;
  setvbuf(paged->stream_, nullptr, _IONBF, 0);  // the pages are the buffer
  return paged;
}

PagedStream::~PagedStream() {
  if (stream_) std::fclose(stream_);
  if (file_ && file_->fd >= 0) ::close(file_->fd);
}

bool PagedStream::commit() {
  if (!stream_) return false;
  const bool flushed = std::fflush(stream_) == 0 && file_->flushAll();
  std::fclose(stream_);
  stream_ = nullptr;
  return flushed && ::fsync(file_->fd) == 0;
}

}  // namespace korvel::db::local
