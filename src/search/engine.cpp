#include "search/engine.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "board/gameend.h"
#include "notation/history.h"
#include "notation/moveentry.h"
#include "notation/newgame.h"
#include "notation/transcript.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "search/limits.h"
#include "search/report.h"
#include "search/searchstate.h"
#include "search/think.h"

namespace kestrin {

AutoResetEvent GoEvent;
ManualResetEvent ReadyEvent;
std::atomic<int> EngineBusy{0};
std::atomic<int> AnalyseRequest{0};
std::atomic<int> HumanSide{1};
Position PonderPosition;
std::atomic<int> PonderMove{-1};

Position GameSnapshot() {
  std::lock_guard<std::mutex> lock(GameMutex());
  return gamePosition;
}

namespace {

constexpr int AnalysisDepth = 28;
constexpr int ReadyWaitMilliseconds = 1000;

std::thread engineThread;
std::atomic<bool> quitRequested{false};

void JudgeGameWithMessages() {
  int result = gameState;
  if (CheckGameEnd(GameSnapshot(), 1, result)) gameState = result;
}

// The side panel after a move outside the engine mode.
void ShowGameChanged() {
  CurrentFrontend().RefreshBoard();
  AddTranscriptLine(1);
  CurrentFrontend().RefreshPanel(false);
}

void Ponder() {
  PromotionChoice = Queen;
  Position local;
  bool predicted = false;
  int from = 0, to = 0;
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    local = gamePosition;
    // The reply the engine expects: the second entry of its principal variation.
    const u32* row = search.pvTable[1];
    if (row[0] >= 2) {
      static const int kingFrom[4] = {E1, E1, E8, E8};
      from = row[2] & 0xFF;
      to = (row[2] >> 8) & 0xFF;
      if (from >= CastleWhiteShort && from <= CastleBlackLong) from = kingFrom[from - CastleWhiteShort];
      int outFrom = 0, outTo = 0;
      predicted = from >= A8 && from <= H1 && to >= A8 && to <= H1 &&
                  EnterHumanMove(local, from % 10 - 2, from / 10 - 2, to % 10 - 2, to / 10 - 2, local.sideToMove, 0,
                                 0, nullptr, outFrom, outTo) == 1;
    }
    // Idle to pondering in one step: a request that came first (the opponent has already
    // moved) wins, and the thread takes it up instead.
    int idle = 0;
    if (predicted && !EngineBusy.compare_exchange_strong(idle, 2)) return;
    if (predicted) {
      PonderPosition = local;
      // The panel names this move: the ponder search soon writes its own line over the one
      // the prediction came from.
      PonderMove = from | to << 8;
      EngineMode = 1;
    }
  }
  if (!predicted) {
    SetInfoText("No valid move to ponder.");
    return;
  }
  SetTimeTarget(local.sideToMove);
  SetInfoText("Pondering...");
  const int pliesBefore = local.plyCount;
  Think(local, ThinkPonder, searchSettings.maxPly);
  // Hit or miss is settled here once, under the lock the opponent's move is entered under:
  // a move entered before this point has set the mode, one entered after finds the engine idle.
  bool played = false, wake = false;
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    const int mode = EngineMode;
    played = local.plyCount != pliesBefore; // a hit answered from the ponder search
    if (played) gamePosition = local;
    // The opponent has moved: whatever the ponder search did, the thread looks at the game again.
    wake = (mode == 2 || mode == 3) && AbortFlag != 3;
    EngineMode = 0;
    ClearPosition(PonderPosition);
    PonderMove = -1;
    EngineBusy = wake ? 1 : 0;
  }
  if (played && CurrentSearchReport().ShowsGame()) {
    ShowGameChanged();
    JudgeGameWithMessages();
  }
  if (wake) GoEvent.Set();
}

void EngineThread() {
  for (;;) {
    ReadyEvent.Set();
    GoEvent.Wait();
    if (quitRequested) return;
    if (AnalyseRequest == 1) {
      EngineBusy = 1;
      EngineMode = 1;
      Think(gamePosition, ThinkAnalyse, AnalysisDepth);
      // A stopped analysis reports nothing itself; whoever stopped it may show how far it got.
      if (AbortFlag == 3) search.searchEnd = ClockMilliseconds();
      // The mode before the busy flag: a request seeing the engine idle must not find it busy analysing.
      EngineMode = 0;
      EngineBusy = 0;
      if (AnalyseRequest == 1) continue;
    }
    ReadyEvent.Reset();
    if (EngineMode != 0) {
      EngineBusy = 0;
      continue;
    }
    EngineBusy = 1;
    while (EnginesTurn() && !quitRequested) {
      const Position before = GameSnapshot();
      SetTimeTarget(before.sideToMove);
      Think(gamePosition, ThinkPlay, searchSettings.maxPly);
      // No move made (nothing legal to play, or nothing to think about): wait for the next request.
      if (GameSnapshot().plyCount == before.plyCount) break;
      // Told to stop without playing: this turn is over, whatever the flags now say.
      if (AbortFlag == 3) break;
      if (CurrentSearchReport().ShowsGame()) JudgeGameWithMessages();
    }
    EngineMode = 0;
    EngineBusy = 0;
    // Self-play ends with its game, however late in the search it was chosen.
    int both = 4;
    if (gameState != GameInProgress) HumanSide.compare_exchange_strong(both, 3);
    const int human = HumanSide;
    if (searchSettings.ponderEnabled && AbortFlag != 3 && (human == 1 || human == 2) &&
        gameState == GameInProgress && !quitRequested)
      Ponder();
  }
}

} // namespace

bool EnginesTurn() {
  const int human = HumanSide;
  return gameState == GameInProgress && human != 3 && (human == 4 || human != GameSnapshot().sideToMove);
}

std::mutex& GameMutex() {
  static std::mutex mutex;
  return mutex;
}

int StartPly() {
  std::lock_guard<std::mutex> lock(GameMutex());
  return startPosition.plyCount;
}

void StartEngineThread() {
  if (engineThread.joinable()) return;
  quitRequested = false;
  engineThread = std::thread(EngineThread);
}

void StopEngineThread() {
  if (!engineThread.joinable()) return;
  quitRequested = true;
  AnalyseRequest = 0;
  AbortFlag = 3;
  GoEvent.Set();
  engineThread.join();
  AbortFlag = 0;
  EngineBusy = 0;
  EngineMode = 0;
}

void StartEngine(int kind) {
  if (EngineMode > 0) return;
  if (kind == 0 && HumanSide == 3) return;
  // Busy from the request on, not only once the thread has woken: whoever waits for the
  // engine right after starting it (a ping after go) must wait for this search. Taken in
  // one step, so that the thread cannot start pondering in between.
  int idle = 0;
  if (!EngineBusy.compare_exchange_strong(idle, 1)) return;
  AnalyseRequest = kind == 0 ? 0 : 1;
  AbortFlag = 0; // a new request starts uncancelled
  GoEvent.Set();
}

void WaitForEngine(bool moveNow) {
  while (EngineBusy != 0) {
    // A ponder without a hit and an analysis have no end of their own: waiting for them
    // would be waiting for good. They are cancelled; neither has a move to play.
    if (EngineMode == 1) AbortFlag = 3;
    else if (moveNow) AbortFlag = 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

int HumanMoveEntered(int fromFile, int fromRow, int toFile, int toRow, int pieceCode) {
  ReadyEvent.WaitFor(ReadyWaitMilliseconds);
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    int outFrom = 0, outTo = 0;
    if (!EnterHumanMove(gamePosition, fromFile, fromRow, toFile, toRow, gamePosition.sideToMove, pieceCode, 1,
                        nullptr, outFrom, outTo))
      return 0;
    gameState = GameInProgress;
    // In one step: a search that stops meanwhile has already put the mode back to normal, and
    // a hit or miss written over that would refuse every later request.
    int searching = 1;
    EngineMode.compare_exchange_strong(searching, std::memcmp(&gamePosition, &PonderPosition, sizeof(Position)) == 0 ? 2 : 3);
  }
  SearchReport& report = CurrentSearchReport();
  if (report.ShowsGame()) {
    // Whatever the information line said was said of the position before this move.
    SetInfoText("");
    ShowGameChanged();
  }
  // A network opponent hears of the move before a game-over box waits for an answer here.
  if (const auto moveMade = CurrentGameControl().enteredMoveMade) moveMade();
  const Position now = GameSnapshot();
  int result = GameInProgress;
  if (!CheckGameEnd(now, 0, result)) {
    StartEngine(0);
    return 1;
  }
  gameState = result;
  if (report.ShowsGame()) CheckGameEnd(now, 1, result);
  report.GameEnded(now);
  return 1;
}

} // namespace kestrin

namespace kestrin {

void NewGame(bool show) {
  // The engine is idle before the record is emptied: a move it was about to record
  // belongs to the old game.
  AbortFlag = 3;
  WaitForEngine();
  whiteUsed = 0;
  blackUsed = 0;
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    ClearPosition(PonderPosition);
    PonderMove = -1;
    ResetGameRecord();
  }
  CurrentFrontend().RefreshPanel(true);
  if (show) {
    RebuildTranscript(GameSnapshot().plyCount - 2);
    CurrentFrontend().RefreshPanel(true);
    CurrentFrontend().RefreshBoard();
    SetInfoText("The Game Begins..");
  }
}

namespace {

// Loading a game file and building a book replace the game on the board from below the search;
// they reach the engine through the platform's GameControl, filled in as soon as this file is
// part of the program.
const bool GameControlInstalled = [] {
  GameControl& control = CurrentGameControl();
  control.stopEngine = [] {
    AbortFlag = 3;
    WaitForEngine();
  };
  control.newGame = NewGame;
  return true;
}();

} // namespace

} // namespace kestrin
