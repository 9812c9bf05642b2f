#include "winboard/output.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "board/gameend.h"
#include "board/keys.h"
#include "notation/history.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/output.h"
#include "search/searchstate.h"
#include "search/think.h"

namespace kestrin {

std::atomic<int> WinboardAnalysing{0};
DrawState drawState;

namespace {

// What the engine reports after a game-ending draw instead of a score.
constexpr int DrawnGameScore = 10000;

std::atomic<ProtocolWriter> writer{nullptr};
std::mutex outputMutex;

template <typename... Values>
void SendFormatted(const char* format, Values... values) {
  char buffer[1400];
  std::snprintf(buffer, sizeof buffer, format, values...);
  SendLine(buffer);
}

} // namespace

void SetProtocolWriter(ProtocolWriter w) { writer = w; }

void SendLine(std::string_view line) {
  std::lock_guard<std::mutex> lock(outputMutex);
  if (ProtocolWriter w = writer.load()) {
    w(line);
    return;
  }
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

void SendFeatures() {
  // sigterm=0: the interface ends us with "quit" alone, and the game it then saves is complete.
  SendFormatted("feature myname=\"%s\" name=1 setboard=1 ping=1 sigterm=0\n", EngineName);
  SendLine("feature done=1\n");
}

namespace {

void Stat01(int depth, int moveNumber, u16 current) {
  if (!WinboardAnalysing || EngineBusy == 0) return;
  const int total = search.rootMoveCount;
  Position root;
  {
    std::lock_guard<std::mutex> lock(GameMutex()); // the analysis searches the game position
    root = gamePosition;
  }
  SendFormatted("stat01: %d %u %d %d %d %s\n", static_cast<int>(ElapsedHundredths()),
                static_cast<unsigned>(search.nodeCount), depth, total - moveNumber, total,
                ShortMoveText(current & 0xFF, current >> 8, root).c_str());
}

} // namespace

void PostThinking(int depth, int score, long long hundredths, u32 nodes, bool firstMoveOnly,
                  std::optional<u16> nextMove) {
  if (!searchSettings.showSearchInfo) return;
  const std::string text = firstMoveOnly ? PvEntryText(1, 0) + "{++}" : PvText(0);
  // The protocol gives scores from the engine's side, the side to move at the root (the
  // window's choice of White's point of view is for the window); a game-ending draw is 0.
  if (std::abs(score) >= DrawnGameScore) score = 0;
  if (search.rootSide == Black) score = -score;
  SendFormatted("%d %d %lu %u %s\n", depth, score, static_cast<unsigned long>(hundredths), nodes, text.c_str());
  if (nextMove) Stat01(search.iterationDepth + 1, 1, *nextMove);
  else SendStat01();
}

void SendStat01() { Stat01(search.iterationDepth, search.rootMoveNumber, search.currentRootMove); }

void SendMove() { SendFormatted("move %s\n", std::string(LastRecordedText()).c_str()); }

void ReportResult(const Position& p) {
  const int status = MateStatus(p, p.sideToMove);
  if (status == Stalemated) SendLine("1/2-1/2 {Draw by Stalemate}\n");
  if (status == Checkmated) SendLine(p.sideToMove == Black ? "1-0 {White Mates}\n" : "0-1 {Black Mates}\n");
  if (IsInsufficientMaterial(p)) SendLine("1/2-1/2 {Draw by Insufficent Material to Mate}\n");
  if (p.plyCount - p.irreversiblePly >= 100) SendLine("1/2-1/2 {Draw by 50 Move Rule}\n");
  if (RepetitionCount(p) >= 2) SendLine("1/2-1/2 {Draw by Repetition}\n");
}

void ResignOrOfferDraw(int score) {
  const int human = HumanSide;
  const bool engineWhite = human == 2, engineBlack = human == 1;
  Position p;
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    p = gamePosition;
  }
  if (engineWhite || engineBlack) {
    const bool losing = engineWhite ? score < -720 : score > 720;
    drawState.losingCount = losing ? drawState.losingCount + 1 : 0;
    const bool materialDown = engineWhite ? p.materialScore < -500 : p.materialScore > 500;
    const int opponentPieces = engineWhite ? p.blackPieces : p.whitePieces;
    const int opponentMinors = engineWhite ? p.blackMinors : p.whiteMinors;
    const int opponentPawns = engineWhite ? p.blackPawns : p.whitePawns;
    const int ownPieces = engineWhite ? p.whitePieces : p.blackPieces;
    if (drawState.losingCount > 3 && materialDown && opponentPieces > opponentMinors &&
        (opponentPieces > ownPieces || opponentPawns > 0)) {
      SendLine("resign\n");
      return;
    }
    const int draw = search.drawScore;
    if ((score == draw || score == 0 || score == 1 || score == -1) && p.plyCount > 84) {
      if (++drawState.drawishCount > 4) {
        drawState.drawishCount = -3;
        SendLine("offer draw\n");
        return;
      }
    } else {
      drawState.drawishCount = 0;
    }
  }
  drawState.acceptDraw = 0;
  if (!engineWhite && !engineBlack) return;
  const bool notBetter = engineWhite ? score <= search.drawScore : score >= search.drawScore;
  if (!notBetter) {
    drawState.notBetterCount = 0;
    return;
  }
  if (++drawState.notBetterCount > 5) drawState.acceptDraw = 1;
}

} // namespace kestrin
