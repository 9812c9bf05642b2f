// The program's files (games, books, settings, the bitbase) are used only when they are regular
// files: a pipe, a device or a folder under one of their names would block the program, feed it
// without end or pass for an empty file.
#pragma once

#include <cstdio>
#include <string>

namespace kestrin {

enum class FileAccess { Read, Append };

// Opens `name` for reading, or for appending (created when missing), when it is a regular file
// and, to append, one that may be written; nullptr otherwise. `size` receives the size the file
// had when opened: a reader takes no more than that, so a file that grows without end (or one
// that only pretends to be empty) cannot hold it.
std::FILE* OpenRegularFile(const char* name, FileAccess access, long long* size = nullptr);

// The whole of a regular file when it holds at most `limit` bytes; false otherwise.
bool ReadRegularFile(const char* name, std::size_t limit, std::string& contents);

// True when `name` is a regular file (after following links).
bool IsRegularFile(const char* name);

// True for a file mode that lets someone write: a file marked read-only for everyone is never
// written, not even by the superuser, whom the system would let through.
bool HasWriteBits(unsigned mode);

} // namespace kestrin
