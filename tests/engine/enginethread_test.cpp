#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "board/attacks.h"
#include "board/gameend.h"
#include "board/makemove.h"
#include "book/book.h"
#include "notation/history.h"
#include "notation/newgame.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/searchstate.h"
#include "search/transposition.h"
#include "support/fixtures.h"
#include "winboard/output.h"

namespace kestrin {
namespace {

std::mutex linesMutex;
std::vector<std::string> protocolLines;

void CaptureLine(std::string_view line) {
  std::lock_guard<std::mutex> lock(linesMutex);
  protocolLines.emplace_back(line);
}

// The engine thread under the engine mode's rules (no window, time from the target set
// here), with its protocol lines captured instead of written.
class EngineThreadTest : public ::testing::Test {
public:
  void SetUp() override {
    if (!transpositionTable.buckets) AllocateTranspositionTable(18);
    ClearTranspositionTable();
    BookCreate();
    ResetSearchState();
    ResetSearchSettings();
    {
      std::lock_guard<std::mutex> lock(linesMutex);
      protocolLines.clear();
    }
    SetProtocolWriter(CaptureLine);
    WinboardMode = 1;
    ResetGameRecord();
    gameState = GameInProgress;
    search.targetSeconds = 0.2f;
    search.extraSeconds = 0.0f;
    StartEngineThread();
  }

  void TearDown() override {
    StopEngineThread();
    SetProtocolWriter(nullptr);
    WinboardMode = 0;
    HumanSide = 1;
    searchSettings.ponderEnabled = 0;
  }

  static Position Game() {
    std::lock_guard<std::mutex> lock(GameMutex());
    return gamePosition;
  }

  // Waits until `done` holds, at most `seconds`.
  template <typename Condition>
  static bool WaitUntil(Condition done, double seconds = 20) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  static int Plies() { return HistoryCount(); }

  static bool Enter(const std::string& coordinates) {
    const int fromFile = coordinates[0] - 'a', fromRow = '8' - coordinates[1];
    const int toFile = coordinates[2] - 'a', toRow = '8' - coordinates[3];
    return HumanMoveEntered(fromFile, fromRow, toFile, toRow, 0) == 1;
  }

  // Every recorded move replays legally from the start.
  static void ExpectRecordLegal() {
    std::lock_guard<std::mutex> lock(GameMutex());
    Position p = startPosition;
    for (int ply = 1; ply <= HistoryCount(); ++ply) {
      Position next;
      ReplayToPly(gameHistory, startPosition, next, ply + 1);
      ASSERT_FALSE(IsInCheck(p.sideToMove, next)) << "ply " << ply << " leaves the king in check";
      ASSERT_EQ(next.plyCount, p.plyCount + 1) << "ply " << ply << " did not replay";
      p = next;
    }
  }
};

TEST_F(EngineThreadTest, PlaysWhenItIsItsTurnAndAnswersMoves) {
  HumanSide = 1;
  searchSettings.maxPly = 3;
  ASSERT_TRUE(Enter("e2e4"));
  ASSERT_TRUE(WaitUntil([] { return Plies() == 2 && EngineBusy == 0; }));
  EXPECT_EQ(Game().sideToMove, White);
  std::lock_guard<std::mutex> lock(linesMutex);
  ASSERT_FALSE(protocolLines.empty());
  EXPECT_EQ(protocolLines.back().rfind("move ", 0), 0u) << protocolLines.back();
}

TEST_F(EngineThreadTest, BusyFromTheRequestOn) {
  // A wait right after the request must not slip in before the engine thread has woken.
  HumanSide = 2;
  searchSettings.maxPly = 28;
  search.targetSeconds = 1000.0f; // a search that cannot be over before the check below
  StartEngine(0);
  EXPECT_NE(EngineBusy, 0);
  WaitForEngine(true); // move now
  EXPECT_EQ(Plies(), 1);
  // Not the engine's turn: it wakes, finds nothing to do and is idle again.
  StartEngine(0);
  ASSERT_TRUE(WaitUntil([] { return EngineBusy == 0; }, 5));
  EXPECT_EQ(Plies(), 1);
}

TEST_F(EngineThreadTest, IllegalOpponentMoveChangesNothing) {
  HumanSide = 1;
  const Position before = Game();
  EXPECT_FALSE(Enter("e2e5"));
  EXPECT_FALSE(Enter("e7e5"));
  EXPECT_EQ(std::memcmp(&before, &gamePosition, sizeof before), 0);
  EXPECT_EQ(Plies(), 0);
}

TEST_F(EngineThreadTest, MoveNowAndCancel) {
  HumanSide = 2; // the engine has White
  searchSettings.maxPly = 28;
  search.targetSeconds = 1000.0f;
  StartEngine(0);
  ASSERT_TRUE(WaitUntil([] { return EngineBusy == 1 && search.nodeCount > 1000; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  AbortFlag = 1; // play the best move found so far
  ASSERT_TRUE(WaitUntil([] { return EngineBusy == 0; }, 5));
  EXPECT_EQ(Plies(), 1);

  ASSERT_TRUE(Enter("e7e5") || Enter("d7d5") || Enter("g8f6")); // the human has Black
  ASSERT_TRUE(WaitUntil([] { return EngineBusy == 1 && search.nodeCount > 1000; }));
  const int plies = Plies();
  AbortFlag = 3; // stop without playing
  ASSERT_TRUE(WaitUntil([] { return EngineBusy == 0; }, 5));
  EXPECT_EQ(Plies(), plies);
}

TEST_F(EngineThreadTest, AnalysisStartsStopsAndNeverPlays) {
  HumanSide = 3;
  search.targetSeconds = 1200.0f;
  StartEngine(1);
  ASSERT_TRUE(WaitUntil([] { return EngineBusy == 1 && EngineMode == 1 && search.iterationDepth >= 3; }));
  StartEngine(1); // busy: does nothing
  StartEngine(0);
  EXPECT_EQ(AnalyseRequest, 1);
  AnalyseRequest = 0;
  AbortFlag = 3;
  ASSERT_TRUE(WaitUntil([] { return EngineBusy == 0; }, 5));
  EXPECT_EQ(Plies(), 0);
  EXPECT_EQ(Game().plyCount, 1);
}

TEST_F(EngineThreadTest, SelfPlayToTheEnd) {
  searchSettings.maxPly = 1;
  search.targetSeconds = 0.05f;
  HumanSide = 4;
  StartEngine(0);
  ASSERT_TRUE(WaitUntil([] { return EngineBusy == 0 && gameState != GameInProgress; }, 120));
  EXPECT_EQ(HumanSide, 3);
  EXPECT_GT(Plies(), 10);
  int result = GameInProgress;
  EXPECT_EQ(CheckGameEnd(Game(), 0, result), 1);
  EXPECT_EQ(result, gameState.load());
  ExpectRecordLegal();
}

// The reply the engine is pondering on: the legal move that turns the game position into PonderPosition.
std::string PredictedMove() {
  std::lock_guard<std::mutex> lock(GameMutex());
  MoveList list;
  GenerateMoves(gamePosition.sideToMove, gamePosition, list);
  std::string found;
  ForEachMove(list, [&](Move m) {
    Position p = gamePosition;
    MoveUndo undo;
    MakeMove(p, m, undo, Queen);
    if (!IsInCheck(gamePosition.sideToMove, p) && std::memcmp(&p, &PonderPosition, sizeof p) == 0)
      found = test::CoordinateOf(m);
  });
  return found;
}

// After 1. e4 and the engine's answer, the engine ponders; returns the reply it expects.
std::string PonderAfterE4() {
  searchSettings.ponderEnabled = 1;
  searchSettings.maxPly = 28;
  HumanSide = 1;
  if (!EngineThreadTest::Enter("e2e4")) return "";
  if (!EngineThreadTest::WaitUntil([] { return HistoryCount() == 2 && EngineBusy == 2; })) return "";
  return PredictedMove();
}

TEST_F(EngineThreadTest, PonderHitAnswersFromThePonderSearch) {
  const std::string predicted = PonderAfterE4();
  ASSERT_FALSE(predicted.empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(Enter(predicted));
  // The ponder search turns into the real one: the answer comes within its time target.
  ASSERT_TRUE(WaitUntil([] { return Plies() == 4; }, 10));
  EXPECT_EQ(Game().sideToMove, White);
  ExpectRecordLegal();
}

TEST_F(EngineThreadTest, PonderMissSearchesTheRealPosition) {
  const std::string predicted = PonderAfterE4();
  ASSERT_FALSE(predicted.empty());
  const std::string other = predicted == "a2a3" ? "h2h3" : "a2a3";
  ASSERT_TRUE(Enter(other));
  ASSERT_TRUE(WaitUntil([] { return Plies() == 4; }, 10));
  EXPECT_EQ(std::string(PlyText(gameHistory, 3)).substr(0, 5), other.substr(0, 2) + "-" + other.substr(2, 2));
  ExpectRecordLegal();
}

} // namespace
} // namespace kestrin
