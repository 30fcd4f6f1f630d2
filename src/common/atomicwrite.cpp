#include "common/atomicwrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace korvel {
namespace {

namespace fs = std::filesystem;

// The limit Linux itself puts on following links.
constexpr int kMaxLinkHops = 40;

bool fail(std::string* error, const std::string& path, int code) {
  if (error) *error = path + ": " + std::strerror(code);
  return false;
}

// Follows symbolic links from path to the name of the file they end at,
// which need not exist. A relative link target is relative to the link's
// folder.
bool followLinks(const std::string& path, std::string& target, std::string* error) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      target = current;
      return true;
    }
    std::string link(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    const ssize_t length = ::readlink(current.c_str(), link.data(), link.size());
    if (length < 0) return fail(error, current, errno);
    link.resize(static_cast<size_t>(length));
    const fs::path next(link);
    current = next.is_absolute() ? link : (fs::path(current).parent_path() / next).string();
  }
  return fail(error, path, ELOOP);
}

bool writeAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(wrote);
  }
  return true;
}

// Creates a new temporary file beside target (the umask applies to it).
int createTemporary(const std::string& target, std::string& name) {
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Makes the rename itself durable; a failure here changes nothing written.
void syncFolder(const std::string& target) {
  const std::string folder = fs::path(target).parent_path().string();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
  std::string target;
  if (!followLinks(path, target, error)) return false;
  std::error_code ec;
  const fs::path folder = fs::path(target).parent_path();
  if (!folder.empty()) fs::create_directories(folder, ec);

  std::string temp;
  const int fd = createTemporary(target, temp);
  if (fd < 0) return fail(error, target, errno);
  struct stat existing {};
  bool ok = true;
  if (::stat(target.c_str(), &existing) == 0) ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
  ok = ok && writeAll(fd, bytes) && ::fsync(fd) == 0;
  int code = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    code = errno;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    code = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return fail(error, target, code);
  }
  syncFolder(target);
  return true;
}

}  // namespace korvel
