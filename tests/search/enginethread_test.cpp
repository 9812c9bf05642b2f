// The engine thread under the engine mode's rules, its protocol lines captured: ponder hits and
// misses wherever they land, a move-now before any root move, self-play to the end.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "board/gameend.h"
#include "book/book.h"
#include "notation/history.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/searchstate.h"
#include "search/transposition.h"
#include "support/fixtures.h"
#include "support/legalmoves.h"
#include "winboard/output.h"
#include "winboard/report.h"

namespace kestrin {
namespace {

std::mutex mutex;
std::vector<std::string> moveLines; // the moves the engine sent

// The real clock, which runs `action` at the `readingsLeft`-th reading taken while EngineBusy
// is `busy`: it lands an event between any two steps of a think.
std::atomic<int> readingsLeft{0}, busy{0};
std::atomic<long long> lastReading{0};
std::function<void()> action;

long long Now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::int64_t HookedClock() {
  lastReading = Now();
  if (readingsLeft > 0 && EngineBusy == busy && readingsLeft.fetch_sub(1) == 1) action();
  return Now();
}

bool WaitUntil(const std::function<bool()>& done) {
  for (auto end = Now() + 20000; !done() && Now() < end;) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

// The opponent enters a legal reply: the one pondered on (`hit`, while there is one) or another.
bool Reply(bool hit) {
  std::unique_lock<std::mutex> lock(GameMutex());
  const Position game = gamePosition, pondered = PonderPosition;
  lock.unlock();
  std::string found[2];
  for (Move m : test::LegalMoves(game)) {
    Position after = game;
    test::Play(after, test::CoordinateOf(m));
    found[std::memcmp(&after.board, &pondered.board, sizeof after.board) == 0] = test::CoordinateOf(m);
  }
  const std::string& move = hit && !found[1].empty() ? found[1] : found[0];
  return HumanMoveEntered(move[0] - 'a', '8' - move[1], move[2] - 'a', '8' - move[3], 0) == 1;
}

class EngineThread : public ::testing::Test {
protected:
  void SetUp() override {
    if (!transpositionTable.buckets) AllocateTranspositionTable(18);
    ResetSearchState();
    ResetSearchSettings();
    BookCreate();
    SetProtocolWriter([](std::string_view line) {
      std::lock_guard<std::mutex> lock(mutex);
      if (line.rfind("move ", 0) == 0) moveLines.emplace_back(line.substr(5, line.size() - 6));
    });
    SetClockSource(HookedClock);
    WinboardMode = 1;
    InstallSearchReport(&XboardReport());
    StartEngineThread();
  }
  void TearDown() override {
    StopEngineThread();
    SetClockSource(nullptr);
    SetProtocolWriter(nullptr);
    InstallSearchReport(nullptr);
    WinboardMode = 0, HumanSide = 1;
  }

  // A new game after 1. e4 (the engine has Black, unless it plays both sides), the hook armed.
  static void StartGame(int reading, int whileBusy, std::function<void()> what) {
    NewGame(false);
    std::unique_lock<std::mutex> lines(mutex);
    moveLines.clear();
    lines.unlock();
    search.targetSeconds = 0.2f;
    busy = whileBusy, action = std::move(what), readingsLeft = reading, lastReading = Now();
    ASSERT_EQ(HumanMoveEntered(4, 6, 4, 4, 0), 1);
  }

  // The engine's moves (every `step`-th ply from the second) are the recorded ones, each sent
  // once, and the whole record replays.
  static void ExpectMovesSentAsRecorded(int plies, int step = 2) {
    ASSERT_TRUE(WaitUntil([&] {
      std::lock_guard<std::mutex> lock(mutex);
      return HistoryCount() == plies && moveLines.size() >= static_cast<std::size_t>((plies - 2) / step + 1);
    })) << HistoryCount();
    std::lock_guard<std::mutex> lock(GameMutex());
    std::vector<std::string> recorded;
    for (int ply = 2; ply <= plies; ply += step) recorded.emplace_back(PlyText(gameHistory, ply));
    Position end;
    ReplayToPly(gameHistory, startPosition, end, plies + 1);
    EXPECT_EQ(end.plyCount, startPosition.plyCount + plies) << "a recorded move is no legal move";
    std::lock_guard<std::mutex> lines(mutex);
    EXPECT_EQ(moveLines, recorded);
  }
};

TEST_F(EngineThread, PonderHitOrMissAtEveryClockReading) {
  searchSettings.ponderEnabled = 1;
  searchSettings.maxPly = 5; // the ponder search also ends by itself, before or after the reply
  for (int reading = 1; reading <= 12; ++reading)
    for (bool hit : {true, false}) {
      SCOPED_TRACE(std::to_string(reading) + (hit ? ": hit" : ": miss"));
      StartGame(reading, 2, [hit] { Reply(hit); });
      // Fewer readings than that: the reply comes once the thread has been quiet for a while.
      WaitUntil([] {
        return HistoryCount() >= 3 || (EngineBusy == 2 && Now() - lastReading > 5) ||
               (HistoryCount() == 2 && EngineBusy == 0);
      });
      if (readingsLeft.exchange(0) > 0) {
        ASSERT_TRUE(Reply(hit));
      }
      ExpectMovesSentAsRecorded(4);
    }
}

// A move entered just as an analysis stops (the interface stops it for each move, and the
// search unwinds while the move is made) leaves the engine free for the next analysis: the
// analysis is never taken for a ponder search that missed. The pause before the move sweeps
// the moment across the unwinding.
TEST_F(EngineThread, AMoveEnteredAsAnAnalysisStopsLeavesTheEngineFree) {
  for (int round = 0; round < 80; ++round) {
    SCOPED_TRACE(round);
    NewGame(false);
    HumanSide = 3;
    StartEngine(1);
    ASSERT_TRUE(WaitUntil([] { return EngineMode == 1 && search.nodeCount > 0; }));
    AbortFlag = 3;
    for (auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(round % 40);
         std::chrono::steady_clock::now() < until;) {
    }
    ASSERT_EQ(HumanMoveEntered(4, 6, 4, 4, 0), 1);
    WaitForEngine();
    ASSERT_EQ(EngineMode, 0) << "an analysis that stopped left the engine in a ponder's state";
  }
}

TEST_F(EngineThread, MoveNowBeforeTheFirstRootMovePlaysALegalMove) {
  StartGame(1, 1, [] { AbortFlag = 1; });
  ExpectMovesSentAsRecorded(2);
}

TEST_F(EngineThread, SelfPlayToTheEnd) {
  searchSettings.maxPly = 1;
  HumanSide = 4;
  StartGame(0, 0, [] {});
  ASSERT_TRUE(WaitUntil([] { return EngineBusy == 0 && gameState != GameInProgress; }));
  EXPECT_EQ(HumanSide, 3);
  int result = GameInProgress;
  EXPECT_TRUE(CheckGameEnd(gamePosition, 0, result) == 1 && result == gameState) << result;
  ExpectMovesSentAsRecorded(HistoryCount(), 1);
}

} // namespace
} // namespace kestrin
