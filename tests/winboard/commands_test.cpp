// Protocol commands carried out in-process, where their effect on the engine's state can be read.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "notation/history.h"
#include "notation/newgame.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "search/limits.h"
#include "support/fixtures.h"
#include "support/scratchdir.h"
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
    HumanSide = 1;
    WinboardMode = 1;
    drawState = DrawState();
  }
  void TearDown() override {
    SetProtocolWriter(nullptr);
    WinboardMode = 0;
  }
  test::ScratchDirectory scratch; // "result" may save the game in the working folder
};

TEST_F(Commands, LevelForms) {
  WinboardCommand("level 40 5 0");
  EXPECT_EQ(WinboardClockState().movesPerControl, 40);
  EXPECT_EQ(searchSettings.timeMinutes, 5);
  EXPECT_EQ(WinboardClockState().increment, 0);
  WinboardCommand("level 0 2 12");
  EXPECT_EQ(WinboardClockState().movesPerControl, 0);
  EXPECT_EQ(searchSettings.timeMinutes, 2);
  EXPECT_EQ(WinboardClockState().increment, 12);
  // Missing minutes become 0; a missing increment keeps the old one.
  WinboardCommand("level 30");
  EXPECT_EQ(WinboardClockState().movesPerControl, 30);
  EXPECT_EQ(searchSettings.timeMinutes, 0);
  EXPECT_EQ(WinboardClockState().increment, 12);
}

TEST_F(Commands, TimeAndOtimChargeTheClocks) {
  WinboardCommand("level 0 5 0");
  HumanSide = 1; // the engine has Black
  WinboardCommand("time 25000");
  WinboardCommand("otim 29000");
  EXPECT_EQ(blackUsed, 5 * 6000 - 25000);
  EXPECT_EQ(whiteUsed, 5 * 6000 - 29000);
  HumanSide = 2; // the engine has White
  WinboardCommand("time 10000");
  EXPECT_EQ(whiteUsed, 20000);
  EXPECT_FLOAT_EQ(WinboardClockState().time, 10000.0f);
}

TEST_F(Commands, PostNopostHardEasySd) {
  WinboardCommand("nopost");
  EXPECT_EQ(searchSettings.showSearchInfo, 0);
  WinboardCommand("post");
  EXPECT_EQ(searchSettings.showSearchInfo, 1);
  WinboardCommand("hard");
  EXPECT_EQ(searchSettings.ponderEnabled, 1);
  WinboardCommand("easy");
  EXPECT_EQ(searchSettings.ponderEnabled, 0);
  WinboardCommand("sd 7");
  EXPECT_EQ(searchSettings.maxPly, 7);
  WinboardCommand("sd 0"); // no search could follow; the least depth is 1
  EXPECT_EQ(searchSettings.maxPly, 1);
}

TEST_F(Commands, CommandsAreWholeWords) {
  WinboardCommand("name Newton"); // not "new"
  WinboardCommand("name Easygoing"); // not "easy"
  searchSettings.ponderEnabled = 1;
  WinboardCommand("name Uneasy");
  EXPECT_EQ(searchSettings.ponderEnabled, 1);
  EXPECT_TRUE(WinboardCommand("name Quitter"));
  EXPECT_FALSE(WinboardCommand("quit"));
  EXPECT_TRUE(WinboardCommand(std::string(2000, 'q') + " quit"));
}

TEST_F(Commands, DrawOffersAcceptedOnlyLateInSimplePositions) {
  drawState.acceptDraw = 1;
  WinboardCommand("draw"); // the opening: refused without a word
  EXPECT_TRUE(sent.empty());
  Position late = test::FromFen("4k3/8/8/3r4/8/8/3R4/4K3 w - -");
  late.plyCount = 90;
  ResetGameRecord(&late);
  WinboardCommand("draw");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], "offer draw\n");
  drawState.acceptDraw = 0; // the engine still sees chances
  WinboardCommand("draw");
  EXPECT_EQ(sent.size(), 1u);
  drawState.acceptDraw = 1;
  WinboardCommand("result 1/2-1/2 {draw}"); // a comment's "draw" is no offer
  EXPECT_EQ(sent.size(), 1u);
}

TEST_F(Commands, ResignAndDrawOfferRules) {
  HumanSide = 2; // the engine has White
  Position lost = test::FromFen("4k3/8/8/8/8/8/r7/4K3 w - -");
  lost.plyCount = 40;
  ResetGameRecord(&lost);
  for (int move = 0; move < 3; ++move) ResignOrOfferDraw(-800);
  EXPECT_TRUE(sent.empty());
  ResignOrOfferDraw(-800); // the fourth losing score in a row
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], "resign\n");
  sent.clear();
  Position level = test::FromFen("4k3/8/8/8/8/8/r7/R3K3 w - -");
  level.plyCount = 90;
  ResetGameRecord(&level);
  for (int move = 0; move < 4; ++move) ResignOrOfferDraw(0);
  EXPECT_TRUE(sent.empty());
  ResignOrOfferDraw(0); // the fifth drawish score
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], "offer draw\n");
  EXPECT_EQ(drawState.drawishCount, -3);
  // Seven scores in a row no better than a draw for White: offers are now accepted.
  EXPECT_EQ(drawState.notBetterCount, 7);
  EXPECT_EQ(drawState.acceptDraw, 1);
}

} // namespace
} // namespace kestrin
