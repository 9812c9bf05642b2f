// Protocol commands carried out in-process, where their effect on the engine's state can be read.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "notation/history.h"
#include "notation/newgame.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "search/limits.h"
#include "support/fixtures.h"
#include "winboard/output.h"
#include "winboard/protocol.h"

namespace kestrin {
namespace {

std::vector<std::string> sent;
void Capture(std::string_view line) { sent.emplace_back(line); }

class Commands : public ::testing::Test {
protected:
  void SetUp() override {
    sent.clear();
    SetProtocolWriter(Capture);
    ResetSearchSettings();
    ResetGameRecord();
    HumanSide = 1; // the engine has Black
    WinboardMode = 1;
    drawState = DrawState();
  }
  void TearDown() override {
    SetProtocolWriter(nullptr);
    WinboardMode = 0;
  }
};

// Lines separated by '|', then what one value reads. Numbers beyond any clock are taken as the
// largest clock (a million seconds) instead of overflowing; not-a-number changes nothing.
TEST_F(Commands, LevelTimeAndSettings) {
  const WinboardClock& clock = WinboardClockState();
  const struct {
    const char* lines;
    std::function<double()> read;
    double expected;
  } cases[] = {
      {"level 40 5 0", [&] { return clock.movesPerControl; }, 40},
      {"level 40 5 0", [&] { return clock.baseSeconds; }, 300},
      {"level 0 2 12", [&] { return clock.increment; }, 12},
      {"level 0 2 12", [] { return searchSettings.timeMinutes.load(); }, 2},
      {"level 0 0:30 2", [&] { return clock.baseSeconds; }, 30},
      {"level 0 0:30 2", [&] { return clock.increment; }, 2},
      {"level 0 2 12|level 30", [&] { return clock.increment; }, 12}, // a missing increment stays
      {"level 0 2 12|level 30", [&] { return clock.baseSeconds; }, 0}, // missing minutes are none
      {"level 2147483647 5 0", [&] { return clock.movesPerControl; }, 10000},
      {"level 0 40000000 0", [&] { return clock.baseSeconds; }, 1000000},
      {"level -4 -5 -6", [&] { return clock.baseSeconds + clock.movesPerControl + clock.increment; }, 0},
      {"level 0 5 0|time 25000", [] { return blackUsed.load(); }, 5000},
      {"level 0 5 0|otim 29000", [] { return whiteUsed.load(); }, 1000},
      {"level 0 400000 0|otim 100", [] { return whiteUsed.load(); }, 1e8 - 100},
      {"time 1e30", [&] { return clock.time; }, 1e8},
      {"time 500|time nan|time", [&] { return clock.time; }, 500},
      {"otim -inf", [&] { return clock.otim; }, -1e8},
      {"nopost", [] { return searchSettings.showSearchInfo.load(); }, 0},
      {"nopost|post", [] { return searchSettings.showSearchInfo.load(); }, 1},
      {"hard", [] { return searchSettings.ponderEnabled.load(); }, 1},
      {"hard|easy", [] { return searchSettings.ponderEnabled.load(); }, 0},
      {"sd 7", [] { return searchSettings.maxPly.load(); }, 7},
      {"sd 0", [] { return searchSettings.maxPly.load(); }, 1},
      {"sd 99999999999", [] { return searchSettings.maxPly.load(); }, 2147483647},
  };
  for (const auto& c : cases) {
    std::istringstream lines(c.lines);
    for (std::string line; std::getline(lines, line, '|');) EXPECT_TRUE(WinboardCommand(line));
    EXPECT_EQ(c.read(), c.expected) << c.lines;
  }
}

TEST_F(Commands, ResignAndDrawRules) {
  HumanSide = 2; // the engine has White
  Position lost = test::FromFen("4k3/8/8/8/8/8/r7/4K3 w - -");
  lost.plyCount = 40;
  ResetGameRecord(&lost);
  for (int move = 0; move < 4; ++move) ResignOrOfferDraw(-800); // the fourth losing score resigns
  Position level = test::FromFen("4k3/8/8/8/8/8/r7/R3K3 w - -");
  level.plyCount = 90;
  ResetGameRecord(&level);
  WinboardCommand("draw"); // not yet: the engine has not found the game drawn for long
  for (int move = 0; move < 5; ++move) ResignOrOfferDraw(0); // the fifth drawish score offers
  WinboardCommand("draw"); // now accepted: seven scores in a row no better than a draw
  ResetGameRecord();
  WinboardCommand("draw"); // never in the opening
  EXPECT_EQ(sent, (std::vector<std::string>{"resign\n", "offer draw\n", "offer draw\n"}));
}

} // namespace
} // namespace kestrin
