#include "harness.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "board/randomkeys.h"
#include "board/tables.h"
#include "book/book.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "search/searchstate.h"
#include "search/transposition.h"
#include "winboard/output.h"
#include "winboard/report.h"

namespace kestrin::fuzz {

namespace {

constexpr int SmallTable = 16;

void Silent(std::string_view) {}

} // namespace

void StartEngine(bool engineThread) {
  static bool started = false;
  if (started) return;
  started = true;
  char folder[] = "/tmp/kestrin-fuzz-XXXXXX";
  if (!mkdtemp(folder)) std::abort();
  std::filesystem::current_path(folder);
  WinboardMode = 1; // no boxes, no window updates
  SetProtocolWriter(Silent);
  InstallSearchReport(&XboardReport());
  InitBoardTables();
  ResetSearchState();
  InitHashKeys();
  AllocateTranspositionTable(SmallTable);
  BookCreate();
  if (!engineThread) return;
  StartEngineThread();
  // libFuzzer ends the process with exit(): a thread still joinable then would abort it.
  std::atexit([] { StopEngineThread(); });
}

std::string WriteInput(const std::uint8_t* data, std::size_t size, const char* name) {
  std::FILE* file = std::fopen(name, "wb");
  if (!file) std::abort();
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  return name;
}

} // namespace kestrin::fuzz
