// UCI lines, one command per line, carried out with the engine thread running; each command
// is followed by "stop", so that a "go" without limits ends, and the input ends with the
// engine idle.
#include "harness.h"

#include "uci/session.h"

using namespace kestrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::StartEngine(true);
  static const bool begun = (BeginUciSession(), true);
  (void)begun;
  bool going = true;
  fuzz::ForEachLine(data, size, [&](std::string_view line) {
    if (going) going = UciCommand(line);
    UciCommand("stop");
  });
  UciCommand("ucinewgame");
  return 0;
}
