#include "app/startup.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "board/randomkeys.h"
#include "board/tables.h"
#include "book/book.h"
#include "eval/kpk.h"
#include "platform/regularfile.h"
#include "platform/settings.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/searchstate.h"
#include "search/transposition.h"

namespace kestrin {

namespace fs = std::filesystem;

namespace {

// The files the build produces beside the executables and every home starts with.
constexpr const char* SeedFiles[] = {"KPK.kbb", "TestBook.kcb"};

fs::path ExecutableDirectory() {
  std::error_code error;
  fs::path exe = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : exe.parent_path();
}

fs::path DefaultHome() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return fs::path(data) / "kestrin";
  if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".local" / "share" / "kestrin";
  return fs::current_path() / ".kestrin";
}

} // namespace

void InitTables() {
  InitBoardTables();
  InitHashKeys();
}

bool EnterHomeDirectory(const std::string& requested) {
  const fs::path home = requested.empty() ? DefaultHome() : fs::path(requested);
  std::error_code error;
  fs::create_directories(home, error);
  if (error) {
    std::fprintf(stderr, "Kestrin Chess: cannot create the folder %s: %s\n", home.c_str(), error.message().c_str());
    return false;
  }
  const fs::path source = ExecutableDirectory();
  for (const char* name : SeedFiles) {
    const fs::path target = home / name;
    if (fs::exists(target, error) || source.empty()) continue;
    // Beside the executable in a build folder; in share/kestrin once installed.
    fs::path seed = source / name;
    if (!fs::exists(seed, error)) seed = source.parent_path() / "share" / "kestrin" / name;
    fs::copy_file(seed, target, error); // a missing seed leaves that file's defaults in force
  }
  fs::current_path(home, error);
  if (error) {
    std::fprintf(stderr, "Kestrin Chess: cannot use the folder %s: %s\n", home.c_str(), error.message().c_str());
    return false;
  }
  return true;
}

void InitEngine() {
  // Anything but a regular file there (a pipe would block start-up) leaves the bitbase unused.
  if (IsRegularFile("KPK.kbb")) LoadKpk("KPK.kbb");
  InitBoardTables();
  ResetSearchState();
  ReadSettings();
  ApplySettings();
  InitHashKeys();
  AllocateTranspositionTable(settings.hashSizeExponent);
  BookCreate();
  BookLoad("TestBook.kcb");
  StartEngineThread();
}

} // namespace kestrin
