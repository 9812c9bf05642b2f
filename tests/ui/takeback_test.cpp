// Take back and redo in the real window, by their keys: against the computer while it
// thinks and while it ponders, and not at all in a network game.
#include <QAction>
#include <QTest>

#include "game/commands.h"
#include "game/controller.h"
#include "game/windowcommands.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/searchstate.h"
#include "ui/menus.h"
#include "windowtest.h"

namespace kestrin::test {
namespace {

// Out of the book, so that the engine searches.
constexpr const char* Endgame = "4k3/8/3p4/2p5/8/8/3P4/R3K3 w - - 0 1";

TEST_F(WindowTest, TakeBackAndRedoWhileTheComputerThinksOrPonders) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  const struct { bool ponder; int busyAfterMove, redoTo; } cases[] = {{false, 1, 3}, {true, 2, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ponder ? "pondering" : "thinking");
    SetUpPosition(Endgame);
    searchSettings.ponderEnabled = c.ponder;
    searchSettings.maxPly = 28;
    searchSettings.maxSecondsPerMove = c.ponder ? 1 : 0;
    Trigger(command::ComputerBlack);
    ASSERT_TRUE(WaitUntil([] { return EngineBusy != 1; })) << "the engine saw it is not its turn";
    Move(0, 7, 0, 1); // Ra1-a7
    if (c.ponder) ASSERT_TRUE(WaitUntil([] { return GamePositionNow().plyCount == 3 && EngineBusy == 2; }));
    else ASSERT_TRUE(WaitUntil([] { return EngineBusy == 1 && search.nodeCount > 0; }));
    QTest::keySequence(window.get(), QKeySequence::Undo);
    // The engine is stopped before anything is taken back, and nothing is played after.
    EXPECT_EQ(EngineBusy, 0);
    EXPECT_EQ(Ply(), 1);
    EXPECT_EQ(PieceAt(0, 7), WhiteRook);
    EXPECT_FALSE(window->MenuItems()->Action(command::TakeBack)->isEnabled()) << "nothing more to take back";
    searchSettings.maxPly = 3;
    QTest::keySequence(window.get(), QKeySequence::Redo);
    EXPECT_TRUE(WaitForPly(c.redoTo)) << "the move comes back and the computer has its reply";
    EXPECT_EQ(PieceAt(0, 1), WhiteRook);
    searchSettings.ponderEnabled = 0;
    AbortFlag = 3;
    WaitForEngine();
  }
  // Ctrl+Y redoes too, and a take-back in a two-player game steps back one move.
  Trigger(command::TwoPlayer);
  QTest::keySequence(window.get(), QKeySequence::Undo);
  EXPECT_EQ(Ply(), 2);
  QTest::keySequence(window.get(), QKeySequence("Ctrl+Y"));
  EXPECT_EQ(Ply(), 3);
  netGame = 1;
  window->MenuItems()->Refresh();
  for (int id : {command::TakeBack, command::Redo}) EXPECT_FALSE(window->MenuItems()->Action(id)->isEnabled()) << id;
  netGame = 0;
}

} // namespace
} // namespace kestrin::test
