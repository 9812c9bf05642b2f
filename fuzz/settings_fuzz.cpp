// The settings file: read, put in force, and written back as the window does at exit.
#include "harness.h"

#include "platform/settings.h"
#include "search/limits.h"

using namespace kestrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::StartEngine(false);
  const std::string file = fuzz::WriteInput(data, size, "input.dft");
  ResetSettings();
  ReadSettings(file.c_str());
  ApplySettings();
  WriteSettings("written.dft");
  return 0;
}
