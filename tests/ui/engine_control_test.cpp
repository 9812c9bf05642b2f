// The window around the engine's work: commands that interrupt the computer's think, a mode
// chosen while it thinks, and the pondering note.
#include <QPushButton>
#include <functional>

#include "board/gameend.h"
#include "game/commands.h"
#include "game/controller.h"
#include "notation/history.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/searchstate.h"
#include "ui/bookdialog.h"
#include "ui/sidepanel.h"
#include "windowtest.h"

namespace kestrin::test {
namespace {

// Out of the book and without a quick mate: the computer thinks for its whole second.
constexpr const char* Middlegame = "r1bqk2r/pp2bppp/2n1pn2/3p4/3P4/2NBPN2/PP3PPP/R1BQK2R w KQkq - 0 8";

bool IsNumber(const QString& text) {
  bool number = false;
  text.toInt(&number);
  return number;
}

TEST_F(WindowTest, TheComputerMovesAfterAnInterruption) {
  std::string many;
  for (int i = 0; i < 40000; ++i) many += "[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 1-0\n\n";
  WriteFileBytes("many.pgn", many);
  const QString manyPath = QString::fromStdString(home->Path("many.pgn"));
  BookDialog dialog(window.get());
  // Each interruption comes while the computer thinks about White's move.
  const struct { const char* name; std::function<void()> interrupt; } cases[] = {
      {"Analyze", [this] { Trigger(command::Analyze); }},
      {"Clear Hash", [this] { Trigger(command::ClearHash); }},
      {"a book build cancelled", [this, &dialog, &manyPath] {
         dialog.StartBuild(manyPath);
         ASSERT_TRUE(WaitUntil([this] { return IsNumber(window->Panel()->Info()); })) << "the games counted";
         for (QPushButton* b : dialog.findChildren<QPushButton*>())
           if (b->text() == "Cancel") b->click();
         ASSERT_TRUE(WaitUntil([&dialog] { return !dialog.Building(); }, 60000));
       }}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUpPosition(Middlegame);
    searchSettings.maxPly = 28;
    searchSettings.maxSecondsPerMove = 1;
    Trigger(command::ComputerWhite);
    ASSERT_TRUE(WaitUntil([] { return EngineBusy == 1 && search.nodeCount > 0; }));
    c.interrupt();
    EXPECT_TRUE(WaitForPly(2)) << "the computer has not moved";
    EXPECT_FALSE(IsNumber(window->Panel()->Info())) << "a count of games read is no news of this game";
  }
}

TEST_F(WindowTest, SelfplayChosenWhileTheComputerThinks) {
  // White's bishop takes the queen: a draw by material. The search sees the draw within
  // milliseconds, so a busy machine may find the move made before it looked: then again.
  bool caught = false;
  for (int attempt = 0; attempt < 8 && !caught; ++attempt) {
    SetUpPosition("4k3/8/8/8/3q4/8/8/B3K3 w - - 0 1");
    searchSettings.maxPly = 28;
    searchSettings.maxSecondsPerMove = 1;
    Trigger(command::ComputerWhite);
    caught = WaitUntil([] { return EngineBusy == 1 && search.nodeCount > 0; }, 2000);
    if (!caught) {
      ASSERT_TRUE(WaitForPly(2)) << "the computer has not moved";
    }
  }
  ASSERT_TRUE(caught) << "self-play was never chosen while the computer thought";
  Trigger(command::Selfplay);
  EXPECT_EQ((Text("whiteName") + Text("blackName")).toStdString(), std::string(EngineLabel) + EngineLabel);
  ASSERT_TRUE(WaitUntil([] { return gameState != GameInProgress && EngineBusy == 0; }));
  EXPECT_EQ(HumanSide, 3) << "self-play ends with the game";
}

TEST_F(WindowTest, PonderingNamesTheMovePonderedOn) {
  SetUpPosition(Middlegame);
  HumanSide = 1;
  searchSettings.maxPly = 28;
  searchSettings.maxSecondsPerMove = 1;
  Trigger(command::Ponder);
  Move(4, 7, 6, 7); // O-O: the computer answers, then ponders on its expected reply
  // By depth 4 the ponder search has written its own line over the one it started from.
  ASSERT_TRUE(WaitUntil([this] {
    const QString info = window->Panel()->Info();
    const int at = info.indexOf("Depth: ");
    return EngineBusy == 2 && info.startsWith("Pondering ") && at > 0 && info.mid(at + 7, 2).trimmed().toInt() >= 4;
  }, 20000)) << window->Panel()->Info().toStdString();
  // The move named ("Pondering e7-e5 \n") takes the game's position to the one pondered on.
  const QString info = window->Panel()->Info();
  const std::string named = info.mid(10, 5).toStdString();
  ASSERT_TRUE(named.size() == 5 && info.mid(15, 2) == " \n") << info.toStdString();
  std::lock_guard<std::mutex> lock(GameMutex());
  const int from = SquareOf(named[0] - 'a', '8' - named[1]), to = SquareOf(named[3] - 'a', '8' - named[4]);
  EXPECT_TRUE(gamePosition.board[from] != Empty && PonderPosition.board[from] == Empty &&
              PonderPosition.board[to] == gamePosition.board[from]) << info.toStdString();
}

} // namespace
} // namespace kestrin::test
