// Writing a file that replaces another: the bytes go to a temporary file beside it, which is
// renamed into place only when it was written whole, so a full disk or a crash never leaves
// half a file where a good one stood. The replacement honours what the old file was: a
// symbolic link is written through to its target, the file's permissions are kept, and a
// file that may not be written (read-only, or not a regular file) is not replaced.
#pragma once

#include <cstddef>
#include <string>

namespace kestrin {

// True when `name` now holds exactly `size` bytes of `data`; on false the old file is untouched.
bool WriteFileReplacing(const std::string& name, const void* data, std::size_t size);

} // namespace kestrin
