#include "notation/safewrite.h"

#include <cstdio>

namespace kestrin {

bool WriteFileReplacing(const std::string& name, const void* data, std::size_t size) {
  std::string temporary = name + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  bool written = (size == 0 || std::fwrite(data, 1, size, file) == size);
  written = (std::fflush(file) == 0) && written;
  written = (std::fclose(file) == 0) && written;
  if (written && std::rename(temporary.c_str(), name.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

} // namespace kestrin
