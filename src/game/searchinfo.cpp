#include "game/searchinfo.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "board/keys.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/output.h"
#include "search/searchstate.h"
#include "search/think.h"

namespace kestrin {

namespace {

std::atomic<ScoreListener> scoreListener{nullptr};

void ReportScore(const Position& position, int score) {
  if (const ScoreListener listener = scoreListener.load()) listener(position, score == 10000 ? 0 : score);
}

bool ShowsInformation() { return searchSettings.showSearchInfo || AnalyseRequest == 1; }

// The score as the information line shows it: from the side the settings choose, with a star
// while the iteration has no score of its own yet or has just found a new best move.
std::string ScoreText(int score) {
  const bool noScoreYet = std::abs(score) > 19000;
  if (noScoreYet) score = search.previousScore;
  std::string text;
  if (std::abs(score) < 9901) {
    if (!EvalsFromWhitePov && search.rootSide == Black) score = -score;
    text = PanelFormat("%.2f ", score * 0.01);
  } else {
    text = PanelFormat("%smates in %d ", score > 0 ? "White " : "Black ", (9999 - std::abs(score)) / 2);
  }
  if (noScoreYet || search.rootBestChanged) text += "*";
  return text;
}

void ShowSearchInfo() {
  if (EngineBusy == 1 && EngineMode == 1 && search.iterationDepth > 1) ReportScore(search.root, search.previousScore);
  if (!ShowsInformation()) {
    if (EngineBusy == 1) SetInfoText("Thinking....");
    return;
  }
  const Position game = GameSnapshot();
  std::string text;
  if (const int pondered = PonderMove; EngineBusy == 2 && pondered >= 0)
    text = "Pondering " + SquareName(pondered & 0xFF) + "-" + SquareName(pondered >> 8) + " \n";
  const u16 best = search.rootBestMove, current = search.currentRootMove;
  text += PanelFormat("Eval: %s\nKNodes: %d\nDepth: %d", ScoreText(search.rootScore).c_str(),
                 static_cast<int>(search.nodeCount / 1000), static_cast<int>(search.iterationDepth));
  text += "\nMove: " + ShortMoveText(best & 0xFF, best >> 8, game);
  text += PanelFormat("\n(%s) [%d/%d]", ShortMoveText(current & 0xFF, current >> 8, game).c_str(),
                 static_cast<int>(search.rootMoveNumber), static_cast<int>(search.rootMoveCount));
  if (ScoreDropped()) text += "\n[Panic]";
  if (EngineBusy == 1 && EngineMode == 1) text += "\n\nanalyzing...";
  SetInfoText(text);
}

// The board, the move list and the game-over boxes are the engine thread's to update (the
// defaults); the information line and the scores are this report's.
class WindowReport : public SearchReport {
public:
  void Searching() override { ShowSearchInfo(); }
  void MoveChosen(const ThinkOutcome& outcome) override { ShowFinalInfo(outcome.score, outcome.iterationDepth); }
  void AnalysisEnded(const ThinkOutcome& outcome) override { ShowFinalInfo(outcome.score, outcome.iterationDepth); }
};

} // namespace

SearchReport& WindowSearchReport() {
  static WindowReport report;
  return report;
}

void SetScoreListener(ScoreListener listener) { scoreListener = listener; }

void ShowFinalInfo(int score, int iterationDepth) {
  // An analysis scores the position it looked at; a search that played, the position after its move.
  if (search.rootMoveCount > 0) ReportScore(search.searchOnly ? search.root : search.work, score);
  if (!ShowsInformation()) {
    SetInfoText("Search Info Off.");
    return;
  }
  std::string evaluation;
  if (RepetitionCount(GameSnapshot()) >= 2) evaluation = "Draw by Repetition ";
  else if (score == 10000) evaluation = "Draw";
  else if (search.rootMoveCount == 1) evaluation = "Single Move";
  else evaluation = ScoreText(score);
  const u32 nodes = search.nodeCount;
  std::string text = nodes < 10000
                         ? PanelFormat("Eval: %s\nNodes: %d\nDepth: %d", evaluation.c_str(), int(nodes), iterationDepth - 1)
                         : PanelFormat("Eval: %s\nKNodes: %d\nDepth: %d", evaluation.c_str(), int(nodes / 1000), iterationDepth - 1);
  const int number = search.rootMoveNumber;
  if (number != 1 && number != search.rootMoveCount) text += "*";
  const long long milliseconds = search.searchEnd - search.searchStart;
  if (nodes > 1000 && milliseconds > 2)
    text += PanelFormat("\nKN\\sec: %d", static_cast<int>((nodes / 1000) / (milliseconds * 0.001)));
  double seconds = milliseconds * 0.001 - 0.1;
  text += PanelFormat("\nTime: %.1f", seconds < 0 ? 0.0 : seconds);
  SetInfoText(text);
}

} // namespace kestrin
