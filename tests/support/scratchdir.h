// A fresh directory for tests that write files: made the working directory for the scope's
// lifetime (the book builder and the PGN commands use fixed names there), removed afterwards.
#pragma once

#include <filesystem>
#include <string>

namespace kestrin::test {

class ScratchDirectory {
public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  std::string Path(const std::string& name) const { return (path / name).string(); }

  std::filesystem::path path;
  std::filesystem::path previous;
};

// Whole-file helpers.
std::string ReadFileBytes(const std::string& name);
void WriteFileBytes(const std::string& name, const std::string& bytes);

} // namespace kestrin::test
