#include "search/think.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "board/attacks.h"
#include "board/gameend.h"
#include "board/keys.h"
#include "board/legality.h"
#include "board/movegen.h"
#include "book/book.h"
#include "eval/pawns.h"
#include "notation/history.h"
#include "notation/moveentry.h"
#include "notation/transcript.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "search/alphabeta.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/ordering.h"
#include "search/report.h"
#include "search/searchstate.h"
#include "search/transposition.h"

namespace kestrin {

namespace {

constexpr int MaxFullWidthPly = 46;
// A single legal move is searched this deep before it is played: enough to see a mate that
// follows it, and cheap with one move at the root.
constexpr int SingleMoveDepth = 5;
constexpr int BookPlyLimit = 70;
constexpr int NoBookMove = -30000;
constexpr u32 MinClockCheckNodes = 1000, MaxClockCheckNodes = 100000;
// Kept back from the clock for what moves cost outside the search (passing them through the
// interface, waking the engine thread, the gap to the next clock reading): the last half
// second still pays for many quick moves.
constexpr double LatencyReserveSeconds = 0.5;
constexpr int SuddenDeathMoves = 50;
// Longer than any game's clock: what the protocol gives beyond it is taken as this.
constexpr double MaxClockSeconds = 1e6;

double ElapsedSeconds() { return (ClockMilliseconds() - search.searchStart) * 0.001; }

// Ply 1's ordered list index of `move`, or -1.
int FindRootMove(u16 move) {
  const MoveList& list = search.plies[1].list;
  for (u32 i = 0; i < list.quietCount; ++i)
    if (LowMove(list.moves[i]) == move) return static_cast<int>(i);
  return -1;
}

// The first legal move of `position` in generation order, for a think stopped before its
// first root move was searched. False when there is none.
bool FirstLegalMove(const Position& position, Move& found) {
  MoveList list;
  GenerateMoves(position.sideToMove, position, list);
  bool any = false;
  ForEachMove(list, [&](Move m) {
    if (!any && RootMoveAllowed(m) && IsLegalMove(position, m, position.sideToMove)) {
      found = m;
      any = true;
    }
  });
  return any;
}

void WaitOutTargetTime() {
  SetInfoText("Waiting...");
  while (ElapsedSeconds() < search.targetSeconds && AbortFlag <= 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

} // namespace

RootMoveFilter rootMoveFilter;

namespace {
// The depth of the iteration whose first root move was searched last (engine thread only).
int scoredDepth = 0;
} // namespace

long long ElapsedHundredths() { return ElapsedMilliseconds() / 10; }

long long ElapsedMilliseconds() { return ClockMilliseconds() - search.searchStart; }

u32 ClockCheckNodes() {
  // About a hundredth of the target between readings even at a million nodes a second,
  // and never more than the long-standing 100,000.
  const double nodes = search.targetSeconds * 10000.0;
  if (!(nodes < MaxClockCheckNodes)) return MaxClockCheckNodes;
  return nodes < MinClockCheckNodes ? MinClockCheckNodes : static_cast<u32>(nodes);
}

void AllocateTime(double remaining, int movesToGo, double increment) {
  int ply;
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    ply = gamePosition.plyCount;
  }
  const int half = ply / 2;
  // Whatever an interface sends, the clock is a finite time (not a number counts as none left).
  remaining = remaining > 0 ? std::min(remaining, MaxClockSeconds) : 0.0;
  increment = increment > 0 ? std::min(increment, MaxClockSeconds) : 0.0;
  const double usable = std::max(remaining - LatencyReserveSeconds, 0.0);
  double target;
  if (movesToGo > 0) {
    target = usable / (static_cast<double>(movesToGo) - half % movesToGo + 1);
  } else {
    int divisor = ply < 60 ? 56 - half : ply < 134 ? 88 - half : ply < 210 ? 118 - half : 2 * ply + 10 - half;
    // Sudden death: nothing comes back, so every move plans for a long game still to come.
    if (increment == 0 && divisor < SuddenDeathMoves) divisor = SuddenDeathMoves;
    target = usable / divisor + increment;
  }
  // Close to the end of the clock no move takes more than half of what is left; a share
  // that is already smaller stays (raising it to the half would halve the clock every move).
  if (target + 1.0 > remaining) target = std::min(target, usable * 0.5);
  // The least a move gets, but no more than a hundredth of what is usable: the last second
  // has to last many moves.
  target = std::max(target, std::clamp(usable * 0.01, 0.001, 0.01));
  double extra = 1.7 * target;
  if (extra + target + 5.0 > remaining) extra = 0;
  search.extraSeconds = static_cast<float>(extra);
  search.targetSeconds = static_cast<float>(target);
}

void SetTimeTarget(int side) {
  if (CurrentSearchReport().SetsMoveTime()) return;
  const int fixed = searchSettings.maxSecondsPerMove;
  if (fixed != 0) {
    search.targetSeconds = static_cast<float>(fixed);
    return;
  }
  // A game set up with Black to move begins with Black: each side has the increments of its own moves.
  const int firstPly = StartPly(), lastPly = HistoryCount();
  const long long increment = searchSettings.timeIncrement, minutes = searchSettings.timeMinutes;
  long long remaining = 2;
  if (side == White || side == Black)
    remaining = (MovesMadeBy(side, firstPly, lastPly) * increment + minutes * 60) * 100 -
                (side == White ? whiteUsed : blackUsed);
  AllocateTime(remaining * 0.01, 0, static_cast<double>(increment));
}

bool ScoreDropped() {
  const int score = search.rootScore, previous = search.previousScore;
  if (std::abs(score) >= 19000) return false;
  const int margin = std::abs(previous) < 200 ? 50 : 80;
  if (search.rootSide == White) return score < previous - margin && previous > -800 && score < 500;
  return score > previous + margin && previous < 800 && score > -500;
}

void PrepareSearch(const Position& p) {
  AdvanceSearchGeneration();
  PreparePawnSelectors(p);
  search.nullMoveDisabled =
      p.whitePawns == 0 && p.blackPawns == 0 && (p.whitePieces == 0 || p.blackPieces == 0) ? 1 : 0;
  ResetKillers();
  int draw = 0;
  if (p.plyCount < 60) draw = -20;
  else if (p.plyCount > 120 && p.whitePieces < 3 && p.blackPieces < 3) draw = 30;
  search.drawScore = p.sideToMove == Black ? -draw : draw;
}

void StartIteration(const Position& p) {
  Position& work = search.work;
  work = p;
  for (u8& state : work.castleState)
    if (state > CastleQueenSideOnly) state = CastleDone;
  RefreshHashKeys(work);
  work.pawnKey = PawnKeyOf(work);
  search.root = work;
  const int depth = search.iterationDepth;
  search.maxTotalPly = depth <= 3 ? depth + 8 : 3 * depth + 4;
  if (search.maxTotalPly > MaxFullWidthPly) search.maxTotalPly = MaxFullWidthPly;
  search.plies[0].list.extensionFraction = 0;
  search.plies[0].lastMoveClass = ClassOrdinary;
  search.plies[1].replyLimit = 2;
  search.plies[1].list.inCheck = static_cast<u32>(IsInCheck(work.sideToMove, work));
  if (depth >= 5) search.iterationStart = ClockMilliseconds();
  search.rootMoveNumber = 1;
  search.rootBestChanged = 0;
}

void RootMoveStarted(int index, Move move, int bestSoFar, u16 bestMove) {
  search.currentRootMove = LowMove(move);
  search.rootBestChanged = 0;
  search.rootMoveNumber = index + 1;
  const int depth = search.iterationDepth;
  const bool firstDone = std::abs(search.rootScore) > 19000 && std::abs(bestSoFar) < 19000;
  const bool newBest = depth >= 6 && std::abs(bestSoFar) < 19000 && bestMove != search.rootBestMove;
  if ((depth > 3 && firstDone) || newBest)
    CurrentSearchReport().Thinking({.depth = depth, .score = bestSoFar, .nodes = search.nodeCount});
  if (firstDone) scoredDepth = depth;
  if (depth >= 5 && firstDone) search.firstMoveSeconds = (ClockMilliseconds() - search.iterationStart) * 0.001f;
  search.rootScore = bestSoFar;
  if (bestMove != NoMove16) search.rootBestMove = bestMove;
}

int Think(Position& position, int mode, int maxDepth) {
  search.nodeCount = 0;
  search.nextClockCheck = ClockCheckNodes();
  search.previousScore = 0;
  search.rootScore = 0; // no score of an earlier think may stand for this one
  search.firstMoveSeconds = 0;
  search.searchOnly = mode == ThinkAnalyse;
  PromotionChoice = Queen;
  // A "move now" left from before belongs to no search; a cancel that came after the request
  // but before the search began still holds: nothing is thought or played.
  if (AbortFlag == 3) return 0;
  AbortFlag = 0;
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    search.work = position;
  }
  // From here on only the copy is read: the given position may be the game's, which the
  // opponent's side changes under the game lock.
  ReadyEvent.Set();
  search.searchStart = ClockMilliseconds();
  search.rootSide = search.work.sideToMove;

  // A side that could take the enemy king has nothing to think about: no such position
  // arises in play, and searching it would take a king off the board.
  if (IsInCheck(Opponent(search.work.sideToMove), search.work)) return 0;
  int bookValue = NoBookMove;
  // The book is for moves to play now. A ponder search must not take one: it would be
  // recorded before the opponent has made the predicted move.
  // Nor one outside the moves the think is restricted to.
  if (mode == ThinkPlay && search.work.plyCount < BookPlyLimit && rootMoveFilter.count == 0) {
    std::lock_guard<std::mutex> lock(GameMutex());
    bookValue = ChooseBookMove(search.work);
  }
  const bool fromBook = bookValue != NoBookMove;
  bool played = fromBook;
  bool stoppedInside = false;
  if (played) {
    search.previousScore = 10 * bookValue;
    search.iterationDepth = 1;
    search.pvTable[1][0] = 1;
    search.pvTable[1][1] = PvNoMove;
    search.rootMoveCount = 0;
  } else {
    search.iterationDepth = 1;
    u16 bestSlot = NoMove16;
    ClearHistoryTables();
    PrepareSearch(search.work);
    const Position root = search.work;
    bool aborted = false;
    scoredDepth = 0;
    while (search.iterationDepth <= maxDepth) {
      StartIteration(root);
      const int depth = search.iterationDepth;
      const int v = AlphaBeta(root.sideToMove, 0, depth, depth - 9998, 9998 - depth, bestSlot, 1);
      if (v != AbortScore && (depth > 3 || std::abs(v) >= 9996 - depth))
        CurrentSearchReport().Thinking(
            {.depth = depth, .score = v, .nodes = search.nodeCount, .iterationDone = true, .nextMove = bestSlot});
      search.iterationDepth = depth + 1;
      if (v == AbortScore) {
        search.iterationDepth = depth;
        aborted = true;
        break;
      }
      search.previousScore = v;
      if (std::abs(v) >= 9996 - depth) break;
      if (search.rootMoveCount == 1 && depth >= SingleMoveDepth) break; // a single legal move
      if (search.iterationDepth >= 5 && EngineMode == 0 &&
          1.1 * search.firstMoveSeconds > search.targetSeconds - ElapsedSeconds())
        break;
    }
    // The score reported last is that of the iteration the move comes from: one stopped after
    // its first root move was searched counts with its own depth, which was reported already.
    stoppedInside = aborted && scoredDepth == search.iterationDepth;
    if (std::abs(search.rootScore) < 9999) search.previousScore = search.rootScore;
    if (AbortFlag == 3) return 0;
    search.work = root;
    // The mode is read once: a ponder hit that lands later is the engine thread's to settle.
    const bool play = mode == ThinkPlay || (mode == ThinkPonder && EngineMode == 2);
    const MoveList* list = &search.plies[1].list;
    int index = FindRootMove(bestSlot);
    MoveList fallback;
    // Told to move before the first root move was searched: any legal move beats none.
    if (play && index < 0 && FirstLegalMove(root, fallback.moves[0])) {
      list = &fallback;
      index = 0;
    }
    if (play && index >= 0 && std::abs(search.previousScore) < 9998) {
      if (searchSettings.waitFlag && CurrentSearchReport().MayWaitOutTargetTime()) WaitOutTargetTime();
      std::lock_guard<std::mutex> lock(GameMutex());
      RecordMove(nullptr, *list, index, search.work);
      MoveUndo undo;
      MakeMove(search.work, list->moves[index], undo, Queen);
      gameState = GameInProgress;
      played = true;
    }
  }

  search.searchEnd = ClockMilliseconds();
  // Read when reported: a move that ends the game changes the score to a draw's.
  auto outcome = [&] {
    return ThinkOutcome{.score = search.previousScore,
                        .depth = search.iterationDepth - (stoppedInside ? 0 : 1),
                        .iterationDepth = search.iterationDepth};
  };
  // Only a move made is reported: otherwise the last recorded move, the opponent's, would go out.
  if (played) {
    // The game is judged on the position after the move just played.
    int status = gameState;
    if (CheckGameEnd(search.work, 0, status)) {
      gameState = status;
      if (status == GameDrawn) search.previousScore = 10000;
    }
    SearchReport& report = CurrentSearchReport();
    const bool showsGame = report.ShowsGame();
    if (report.OpponentAnswersAtOnce()) ReadyEvent.Reset();
    if (showsGame) CurrentFrontend().RefreshBoard();
    report.MoveChosen(outcome());
    {
      std::lock_guard<std::mutex> lock(GameMutex());
      position = search.work;
    }
    report.MovePlayed({.after = search.work, .pv = search.pvTable[1], .fromBook = fromBook});
    if (showsGame) {
      AddTranscriptLine(1);
      CurrentFrontend().RefreshPanel(false);
    }
    if (gameState == GameInProgress) report.GameGoesOn(search.previousScore);
    else report.GameEnded(search.work);
  }
  if (search.searchOnly) CurrentSearchReport().AnalysisEnded(outcome());
  return search.previousScore;
}

} // namespace kestrin
