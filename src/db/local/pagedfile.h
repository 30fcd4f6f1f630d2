#pragma once
// A stdio stream over a new file with a cache of its pages in memory. pxlib
// writes a table by seeking back to the header and to the current block for
// every record it adds; through a plain FILE each of those seeks throws away
// the stdio buffer and costs system calls. Here they are memory copies, and
// the pages go to the file when they leave the cache or at commit().

#include <QString>
#include <cstdio>
#include <memory>

namespace korvel::db::local {

struct PagedFile;

class PagedStream {
 public:
  // Creates (truncating) `path`; nullptr with errno set when it cannot.
  static std::unique_ptr<PagedStream> create(const QString& path);
  ~PagedStream();
  PagedStream(const PagedStream&) = delete;
  PagedStream& operator=(const PagedStream&) = delete;

  FILE* stream() const { return stream_; }
  // Writes every page, syncs the file to the disk and closes the stream.
  bool commit();

 private:
  PagedStream() = default;
  FILE* stream_ = nullptr;
  std::unique_ptr<PagedFile> file_;
};

}  // namespace korvel::db::local
