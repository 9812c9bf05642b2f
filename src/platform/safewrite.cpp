#include "platform/safewrite.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/regularfile.h"

namespace kestrin {

namespace {

constexpr int MaxLinksFollowed = 40;

// The file a name stands for: symbolic links are followed to their end (which need not exist
// yet), so that the link itself stays in place.
std::string FollowLinks(std::string name) {
  for (int depth = 0; depth < MaxLinksFollowed; ++depth) {
    struct stat status;
    if (lstat(name.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) break;
    std::string target(PATH_MAX, '\0');
    const ssize_t length = readlink(name.c_str(), target.data(), target.size());
    if (length <= 0) break;
    target.resize(static_cast<std::size_t>(length));
    const std::size_t slash = name.rfind('/');
    if (target[0] != '/' && slash != std::string::npos) target = name.substr(0, slash + 1) + target;
    name = target;
  }
  return name;
}

// A new file beside `target` under a name of its own; O_EXCL and O_NOFOLLOW make sure that no
// file or link already standing there is written through.
int CreateTemporary(const std::string& target, std::string& temporary) {
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(serial++);
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

} // namespace

bool WriteFileReplacing(const std::string& name, const void* data, std::size_t size) {
  const std::string target = FollowLinks(name);
  struct stat old;
  const bool exists = lstat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists && (!S_ISREG(old.st_mode) || access(target.c_str(), W_OK) != 0 || !HasWriteBits(old.st_mode)))
    return false;

  std::string temporary;
  const int fd = CreateTemporary(target, temporary);
  if (fd < 0) return false;
  bool written = true;
  if (exists) {
    // The owner first: changing it may clear permission bits that the mode then restores.
    if (fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Only the superuser may give a file away; a user's own file keeps its owner anyway.
    }
    written = fchmod(fd, old.st_mode & 07777) == 0;
  }
  written = written && WriteAll(fd, data, size);
  written = (close(fd) == 0) && written;
  if (written && std::rename(temporary.c_str(), target.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

} // namespace kestrin
