#include "platform/regularfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrin {

bool HasWriteBits(unsigned mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

std::FILE* OpenRegularFile(const char* name, FileAccess access, long long* size) {
  if (!name) return nullptr;
  const bool append = access == FileAccess::Append;
  // Without O_NONBLOCK, opening a pipe would wait for its other end.
  const int flags = (append ? O_WRONLY | O_APPEND | O_CREAT : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
  const int fd = open(name, flags, 0666);
  if (fd < 0) return nullptr;
  struct stat status;
  std::FILE* file = nullptr;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && (!append || HasWriteBits(status.st_mode)) &&
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
    file = fdopen(fd, append ? "a" : "r");
  if (!file) {
    close(fd);
    errno = EINVAL;
    return nullptr;
  }
  if (size) *size = status.st_size;
  return file;
}

bool ReadRegularFile(const char* name, std::size_t limit, std::string& contents) {
  long long size = 0;
  std::FILE* file = OpenRegularFile(name, FileAccess::Read, &size);
  if (!file) return false;
  const bool read = size >= 0 && static_cast<unsigned long long>(size) <= limit;
  if (read) {
    contents.resize(static_cast<std::size_t>(size));
    contents.resize(std::fread(contents.data(), 1, contents.size(), file));
  }
  std::fclose(file);
  return read;
}

bool IsRegularFile(const char* name) {
  struct stat status;
  return name && stat(name, &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace kestrin
