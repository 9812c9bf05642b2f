#include "search/engine.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "board/gameend.h"
#include "board/moveentry.h"
#include "notation/history.h"
#include "notation/newgame.h"
#include "notation/transcript.h"
#include "platform/frontend.h"
#include "search/limits.h"
#include "search/searchstate.h"
#include "search/think.h"
#include "winboard/output.h"

namespace kestrin {

AutoResetEvent GoEvent;
ManualResetEvent ReadyEvent;
std::atomic<int> EngineBusy{0};
std::atomic<int> AnalyseRequest{0};
std::atomic<int> HumanSide{1};
Position PonderPosition;

namespace {

constexpr int AnalysisDepth = 28;
constexpr int ReadyWaitMilliseconds = 1000;

std::thread engineThread;
std::atomic<bool> quitRequested{false};

// The game position as it stands now, copied under the game lock.
Position GameSnapshot() {
  std::lock_guard<std::mutex> lock(GameMutex());
  return gamePosition;
}

bool EnginesTurn() {
  const int human = HumanSide;
  return gameState == GameInProgress && human != 3 && (human == 4 || human != GameSnapshot().sideToMove);
}

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
  Position local = GameSnapshot();
  // The reply the engine expects: the second entry of its principal variation.
  const u32* row = search.pvTable[1];
  bool predicted = false;
  if (row[0] >= 2) {
    static const int kingFrom[4] = {E1, E1, E8, E8};
    int from = row[2] & 0xFF;
    const int to = (row[2] >> 8) & 0xFF;
    if (from >= CastleWhiteShort && from <= CastleBlackLong) from = kingFrom[from - CastleWhiteShort];
    int outFrom = 0, outTo = 0;
    predicted = from >= A8 && from <= H1 && to >= A8 && to <= H1 &&
                EnterHumanMove(local, from % 10 - 2, from / 10 - 2, to % 10 - 2, to / 10 - 2, local.sideToMove, 0, 0,
                               nullptr, outFrom, outTo) == 1;
  }
  if (!predicted) {
    SetInfoText("No valid move to ponder.");
  } else {
    SetTimeTarget(local.sideToMove);
    {
      std::lock_guard<std::mutex> lock(GameMutex());
      PonderPosition = local;
    }
    SetInfoText("Pondering...");
    EngineMode = 1;
    EngineBusy = 2;
    Think(local, ThinkPonder, searchSettings.maxPly);
    if (EngineMode != 1 && AbortFlag <= 0) {
      if (EngineMode == 2) {
        EngineMode = 0;
        {
          std::lock_guard<std::mutex> lock(GameMutex());
          gamePosition = local;
        }
        if (!WinboardMode) {
          ShowGameChanged();
          JudgeGameWithMessages();
        }
        GoEvent.Set();
      } else if (EngineMode == 3) {
        GoEvent.Set();
      }
    }
  }
  EngineMode = 0;
  EngineBusy = 0;
  std::lock_guard<std::mutex> lock(GameMutex());
  ClearPosition(PonderPosition);
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
      EngineBusy = 0;
      EngineMode = 0;
      if (AnalyseRequest == 1) continue;
    }
    ReadyEvent.Reset();
    if (EngineMode != 0) {
      EngineBusy = 0;
      continue;
    }
    EngineBusy = 1;
    const bool bothSides = HumanSide == 4;
    while (EnginesTurn() && !quitRequested) {
      const Position before = GameSnapshot();
      SetTimeTarget(before.sideToMove);
      Think(gamePosition, ThinkPlay, searchSettings.maxPly);
      // No move made (nothing legal to play, or nothing to think about): wait for the next request.
      if (GameSnapshot().plyCount == before.plyCount) break;
      // Told to stop without playing: this turn is over, whatever the flags now say.
      if (AbortFlag == 3) break;
      if (!WinboardMode) JudgeGameWithMessages();
    }
    EngineBusy = 0;
    EngineMode = 0;
    if (bothSides && HumanSide == 4) HumanSide = 3;
    const int human = HumanSide;
    if (searchSettings.ponderEnabled && AbortFlag != 3 && (human == 1 || human == 2) &&
        gameState == GameInProgress && !quitRequested)
      Ponder();
  }
}

} // namespace

std::mutex& GameMutex() {
  static std::mutex mutex;
  return mutex;
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
  if (EngineMode > 0 || EngineBusy != 0) return;
  if (kind == 0 && HumanSide == 3) return;
  AnalyseRequest = kind == 0 ? 0 : 1;
  AbortFlag = 0; // a new request starts uncancelled
  // Busy from the request on, not only once the thread has woken: whoever waits for the
  // engine right after starting it (a ping after go) must wait for this search.
  EngineBusy = 1;
  GoEvent.Set();
}

void WaitForEngine(bool moveNow) {
  while (EngineBusy != 0) {
    if (moveNow) AbortFlag = 1;
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
    if (EngineMode == 1) EngineMode = std::memcmp(&gamePosition, &PonderPosition, sizeof(Position)) == 0 ? 2 : 3;
  }
  if (!WinboardMode) ShowGameChanged();
  const Position now = GameSnapshot();
  int result = GameInProgress;
  if (!CheckGameEnd(now, 0, result)) {
    StartEngine(0);
    return 1;
  }
  gameState = result;
  if (!WinboardMode) CheckGameEnd(now, 1, result);
  else ReportResult(now);
  return 1;
}

} // namespace kestrin

namespace kestrin {

void NewGame(bool show) {
  AbortFlag = 3;
  whiteUsed = 0;
  blackUsed = 0;
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    ClearPosition(PonderPosition);
    ResetGameRecord();
  }
  CurrentFrontend().RefreshPanel(true);
  WaitForEngine();
  if (show) {
    RebuildTranscript(GameSnapshot().plyCount - 2);
    CurrentFrontend().RefreshPanel(true);
    CurrentFrontend().RefreshBoard();
    SetInfoText("The Game Begins..");
  }
}

} // namespace kestrin
