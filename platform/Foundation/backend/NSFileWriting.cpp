#include "backend/NSFileWriting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

int writeAll(int fd, const void* bytes, size_t length) {
  auto* cursor = static_cast<const char*>(bytes);
  while (length > 0) {
    ssize_t written = ::write(fd, cursor, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    cursor += written;
    length -= size_t(written);
  }
  return 0;
}

}  // namespace

namespace Foundation {

int writeFile(const char* path, const void* bytes, size_t length, bool atomically) {
  if (!path || !*path) return EINVAL;
  if (!atomically) {
    int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    int failure = writeAll(fd, bytes, length);
    if (::close(fd) != 0 && !failure) failure = errno;
    return failure;
  }
  std::string temporary = std::string(path) + ".XXXXXX";
  int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  // mkostemp makes the file readable by its owner only; a saved file gets the usual mode.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  int failure = writeAll(fd, bytes, length);
  if (!failure && ::fsync(fd) != 0) failure = errno;
  if (::close(fd) != 0 && !failure) failure = errno;
  if (!failure && ::rename(temporary.c_str(), path) != 0) failure = errno;
  if (failure) {
    ::unlink(temporary.c_str());
    return failure;
  }
  // The rename itself lasts through a crash only once its folder is flushed too.
  std::string folder = path;
  size_t slash = folder.rfind('/');
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
  int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  return 0;
}

}  // namespace Foundation
