// Protocol commands carried out in-process, where their effect on the engine's state can be read.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "notation/history.h"
#include "search/engine.h"
#include "search/limits.h"
#include "winboard/protocol.h"

namespace kestrin {
namespace {

// Lines separated by '|', then what one value reads. Numbers beyond any clock are taken as the
// largest clock (a million seconds, in hundredths for time and otim); not-a-number changes nothing.
TEST(Commands, LevelTimeAndSettings) {
  const WinboardClock& clock = WinboardClockState();
  const auto level = [&] { return clock.movesPerControl * 1e6 + clock.baseSeconds * 1e3 + clock.increment; };
  const struct {
    const char* lines;
    std::function<double()> read;
    double expected;
  } cases[] = {
      {"level 0 2 12", [] { return searchSettings.timeMinutes.load(); }, 2},
      {"level 1 0:30 2", level, 1030002},
      {"level 0 2 12|level 30", level, 30000012}, // missing minutes are none, a missing increment stays
      {"level 2147483647 5 0", level, 1e10 + 300000},
      {"level -4 -5 -6", level, 0},
      {"level 0 5 0|time 25000", [] { return blackUsed.load(); }, 5000}, // the engine has Black
      {"level 0 400000 0|otim 100", [] { return whiteUsed.load(); }, 1e8 - 100},
      {"time 1e30", [&] { return clock.time; }, 1e8},
      {"time 500|time nan|time", [&] { return clock.time; }, 500},
      {"otim -inf", [&] { return clock.otim; }, -1e8},
      {"hard", [] { return searchSettings.ponderEnabled.load(); }, 1},
      {"hard|easy", [] { return searchSettings.ponderEnabled.load(); }, 0},
      {"sd 0", [] { return searchSettings.maxPly.load(); }, 1},
      {"sd 99999999999", [] { return searchSettings.maxPly.load(); }, 2147483647},
  };
  HumanSide = 1;
  for (const auto& c : cases) {
    std::istringstream lines(c.lines);
    for (std::string line; std::getline(lines, line, '|');) EXPECT_TRUE(WinboardCommand(line));
    EXPECT_EQ(c.read(), c.expected) << c.lines;
  }
  ResetSearchSettings();
}

} // namespace
} // namespace kestrin
