// The engine thread under the engine mode's rules, its protocol lines captured: ponder hits and
// misses wherever they land, a move-now before any root move, self-play to the end.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "board/attacks.h"
#include "board/gameend.h"
#include "book/book.h"
#include "notation/history.h"
#include "notation/newgame.h"
#include "platform/clock.h"
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
std::vector<std::string> moveLines; // the "move" lines the engine sent

void Capture(std::string_view line) {
  std::lock_guard<std::mutex> lock(linesMutex);
  if (line.rfind("move ", 0) == 0) moveLines.emplace_back(line.substr(5, line.size() - 6));
}

// The real clock, which runs `action` on the engine thread at its `readingsLeft`-th reading
// among those taken while `counted` holds: a way to land an event between any two steps of a think.
std::atomic<int> readingsLeft{0};
std::atomic<long long> lastReading{0};
std::function<bool()> counted;
std::function<void()> action;
std::mutex ponderMutex;
Position pondered; // PonderPosition as the engine thread last read the clock while pondering

std::int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::int64_t HookedClock() {
  lastReading = SteadyMilliseconds();
  if (EngineBusy == 2 && readingsLeft > 0) {
    std::lock_guard<std::mutex> lock(ponderMutex);
    pondered = PonderPosition;
  }
  if (readingsLeft > 0 && counted() && readingsLeft.fetch_sub(1) == 1) action();
  return SteadyMilliseconds();
}

template <typename Condition>
bool WaitUntil(Condition done, double seconds = 20) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

bool Enter(const std::string& move) {
  return HumanMoveEntered(move[0] - 'a', '8' - move[1], move[2] - 'a', '8' - move[3], 0) == 1;
}

// The opponent's legal reply that leads to the pondered position (`hit`), or another one.
std::string Reply(bool hit) {
  Position game;
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    game = gamePosition;
  }
  MoveList list;
  GenerateMoves(game.sideToMove, game, list);
  std::string found[2]; // another move, the predicted one
  ForEachMove(list, [&](Move m) {
    Position p = game;
    test::Play(p, test::CoordinateOf(m));
    std::lock_guard<std::mutex> lock(ponderMutex);
    const bool predicted = std::memcmp(&p, &pondered, sizeof p) == 0;
    if (found[predicted].empty() && !IsInCheck(game.sideToMove, p)) found[predicted] = test::CoordinateOf(m);
  });
  return hit && !found[1].empty() ? found[1] : found[0];
}

class EngineThread : public ::testing::Test {
protected:
  void SetUp() override {
    if (!transpositionTable.buckets) AllocateTranspositionTable(18);
    ClearTranspositionTable();
    BookCreate();
    ResetSearchState();
    ResetSearchSettings();
    SetProtocolWriter(Capture);
    SetClockSource(HookedClock);
    WinboardMode = 1;
    StartEngineThread();
  }
  void TearDown() override {
    StopEngineThread();
    SetClockSource(nullptr);
    SetProtocolWriter(nullptr);
    WinboardMode = 0;
    HumanSide = 1;
  }

  // A fresh game with the engine as Black, the hook armed for the `reading`-th reading while `when` holds.
  static void NewGameWithHook(int reading, std::function<bool()> when, std::function<void()> what) {
    NewGame(false);
    gameState = GameInProgress;
    search.targetSeconds = 0.2f;
    HumanSide = 1;
    {
      std::lock_guard<std::mutex> lock(linesMutex);
      moveLines.clear();
    }
    {
      std::lock_guard<std::mutex> lock(ponderMutex);
      ClearPosition(pondered);
    }
    lastReading = SteadyMilliseconds();
    counted = std::move(when);
    action = std::move(what);
    readingsLeft = reading;
  }

  // The engine's moves (every other ply from the second, or all) are the recorded ones, each
  // sent once, and the record replays legally.
  static void ExpectMovesSentAsRecorded(int plies, bool all = false) {
    const std::size_t sent = all ? plies : plies / 2;
    ASSERT_TRUE(WaitUntil([&] {
      std::lock_guard<std::mutex> lock(linesMutex);
      return HistoryCount() == plies && moveLines.size() >= sent;
    })) << HistoryCount();
    std::lock_guard<std::mutex> lock(GameMutex());
    std::vector<std::string> recorded;
    Position p = startPosition;
    for (int ply = 1; ply <= plies; ++ply) {
      if (all || ply % 2 == 0) recorded.emplace_back(PlyText(gameHistory, ply));
      Position next;
      ReplayToPly(gameHistory, startPosition, next, ply + 1);
      ASSERT_EQ(next.plyCount, p.plyCount + 1) << "ply " << ply << " does not replay";
      ASSERT_FALSE(IsInCheck(p.sideToMove, next)) << "ply " << ply << " leaves the king in check";
      p = next;
    }
    std::lock_guard<std::mutex> lines(linesMutex);
    EXPECT_EQ(moveLines, recorded);
  }
};

TEST_F(EngineThread, PonderHitOrMissAtEveryClockReading) {
  searchSettings.ponderEnabled = 1;
  searchSettings.maxPly = 5; // the ponder search also ends by itself, before or after the reply
  for (int reading = 1; reading <= 12; ++reading)
    for (bool hit : {true, false}) {
      SCOPED_TRACE(std::to_string(reading) + (hit ? ": hit" : ": miss"));
      NewGameWithHook(reading, [] { return EngineBusy == 2; }, [hit] { Enter(Reply(hit)); });
      ASSERT_TRUE(Enter("e2e4"));
      // Fewer readings than that: the reply comes once the thread has been quiet for a while.
      WaitUntil([] { return HistoryCount() >= 3 || (EngineBusy == 2 && SteadyMilliseconds() - lastReading > 5) ||
                            (HistoryCount() == 2 && EngineBusy == 0); });
      if (readingsLeft.exchange(0) > 0) ASSERT_TRUE(Enter(Reply(hit)));
      ExpectMovesSentAsRecorded(4);
    }
}

TEST_F(EngineThread, MoveNowBeforeTheFirstRootMovePlaysALegalMove) {
  NewGameWithHook(1, [] { return EngineBusy == 1; }, [] { AbortFlag = 1; });
  ASSERT_TRUE(Enter("e2e4"));
  ExpectMovesSentAsRecorded(2);
}

TEST_F(EngineThread, SelfPlayToTheEnd) {
  NewGameWithHook(0, [] { return false; }, [] {});
  searchSettings.maxPly = 1;
  HumanSide = 4;
  StartEngine(0);
  ASSERT_TRUE(WaitUntil([] { return EngineBusy == 0 && gameState != GameInProgress; }, 120));
  EXPECT_EQ(HumanSide, 3);
  EXPECT_GT(HistoryCount(), 10);
  int result = GameInProgress;
  EXPECT_EQ(CheckGameEnd(gamePosition, 0, result), 1);
  EXPECT_EQ(result, gameState.load());
  ExpectMovesSentAsRecorded(HistoryCount(), true);
}

} // namespace
} // namespace kestrin
