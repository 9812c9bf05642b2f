#include "search/output.h"

#include <cstdio>
#include <cstdlib>

#include "board/keys.h"
#include "board/types.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "notation/transcript.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/searchstate.h"
#include "search/think.h"
#include "search/transposition.h"

namespace kestrin {

std::atomic<int> EvalsFromWhitePov{1};

namespace {

std::string Format(const char* format, auto... values) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, format, values...);
  return buffer;
}

std::string SquareName(int square) { return {char('a' + square % 10 - 2), char('0' + 10 - square / 10)}; }

std::atomic<ScoreListener> scoreListener{nullptr};

void ReportScore(const Position& position, int score) {
  if (const ScoreListener listener = scoreListener.load()) listener(position, score == 10000 ? 0 : score);
}

bool ShowsInformation() { return searchSettings.showSearchInfo || AnalyseRequest == 1; }

Position GamePositionCopy() {
  std::lock_guard<std::mutex> lock(GameMutex());
  return gamePosition;
}

} // namespace

std::string ScoreText(int score) {
  const bool noScoreYet = std::abs(score) > 19000;
  if (noScoreYet) score = search.previousScore;
  std::string text;
  if (std::abs(score) < 9901) {
    if (!EvalsFromWhitePov && search.rootSide == Black) score = -score;
    text = Format("%.2f ", score * 0.01);
  } else {
    text = Format("%smates in %d ", score > 0 ? "White " : "Black ", (9999 - std::abs(score)) / 2);
  }
  if (noScoreYet || search.rootBestChanged) text += "*";
  return text;
}

std::string ShortMoveText(int from, int to, const Position& position) {
  if (from == CastleWhiteShort || from == CastleBlackShort) return "O-O  ";
  if (from == CastleWhiteLong || from == CastleBlackLong) return "O-O-O";
  if (from < A8 || from > H1 || to < A8 || to > H1) return "";
  std::string text;
  const int type = position.board[from] & 7;
  if (type >= Bishop && type <= King) text += PieceChar(type);
  text += SquareName(from);
  text += position.board[to] != Empty ? 'x' : '-';
  text += SquareName(to);
  return text;
}

void SetScoreListener(ScoreListener listener) { scoreListener = listener; }

void ShowSearchInfo() {
  if (WinboardMode) return;
  if (EngineBusy == 1 && EngineMode == 1 && search.iterationDepth > 1) ReportScore(search.root, search.previousScore);
  if (!ShowsInformation()) {
    if (EngineBusy == 1) SetInfoText("Thinking....");
    return;
  }
  const Position game = GamePositionCopy();
  std::string text;
  if (const int pondered = PonderMove; EngineBusy == 2 && pondered >= 0)
    text = "Pondering " + SquareName(pondered & 0xFF) + "-" + SquareName(pondered >> 8) + " \n";
  const u16 best = search.rootBestMove, current = search.currentRootMove;
  text += Format("Eval: %s\nKNodes: %d\nDepth: %d", ScoreText(search.rootScore).c_str(),
                 static_cast<int>(search.nodeCount / 1000), static_cast<int>(search.iterationDepth));
  text += "\nMove: " + ShortMoveText(best & 0xFF, best >> 8, game);
  text += Format("\n(%s) [%d/%d]", ShortMoveText(current & 0xFF, current >> 8, game).c_str(),
                 static_cast<int>(search.rootMoveNumber), static_cast<int>(search.rootMoveCount));
  if (ScoreDropped()) text += "\n[Panic]";
  if (EngineBusy == 1 && EngineMode == 1) text += "\n\nanalyzing...";
  SetInfoText(text);
}

void ShowFinalInfo(int score, int depth) {
  // An analysis scores the position it looked at; a search that played, the position after its move.
  if (search.rootMoveCount > 0) ReportScore(search.searchOnly ? search.root : search.work, score);
  if (!ShowsInformation()) {
    SetInfoText("Search Info Off.");
    return;
  }
  std::string evaluation;
  if (RepetitionCount(GamePositionCopy()) >= 2) evaluation = "Draw by Repetition ";
  else if (score == 10000) evaluation = "Draw";
  else if (search.rootMoveCount == 1) evaluation = "Single Move";
  else evaluation = ScoreText(score);
  const u32 nodes = search.nodeCount;
  std::string text = nodes < 10000
                         ? Format("Eval: %s\nNodes: %d\nDepth: %d", evaluation.c_str(), int(nodes), depth - 1)
                         : Format("Eval: %s\nKNodes: %d\nDepth: %d", evaluation.c_str(), int(nodes / 1000), depth - 1);
  const int number = search.rootMoveNumber;
  if (number != 1 && number != search.rootMoveCount) text += "*";
  const long long milliseconds = search.searchEnd - search.searchStart;
  if (nodes > 1000 && milliseconds > 2)
    text += Format("\nKN\\sec: %d", static_cast<int>((nodes / 1000) / (milliseconds * 0.001)));
  double seconds = milliseconds * 0.001 - 0.1;
  text += Format("\nTime: %.1f", seconds < 0 ? 0.0 : seconds);
  SetInfoText(text);
}

std::string PvEntryText(int index, int mode) {
  const u32 entry = search.pvTable[1][index];
  switch (entry) {
  case PvTableValue: return "<tt>";
  case PvMate: return "#mate";
  case PvDraw: return "<draw>";
  case PvNoMove: return "";
  default: break;
  }
  const int from = entry & 0xFF, to = (entry >> 8) & 0xFF;
  const char check = (entry & PvCheckFlag) ? '+' : ' ';
  std::string text;
  if (from == CastleWhiteShort || from == CastleBlackShort) text = Format("o-o%c ", check) + (mode == 1 ? "   " : "");
  else if (from == CastleWhiteLong || from == CastleBlackLong) text = Format("o-o-o%c  ", check);
  else if (mode == 0)
    text = SquareName(from) + ((entry & PvCaptureFlag) ? "x" : "") + SquareName(to) +
           ((entry & PvCheckFlag) ? "+" : "") + "  ";
  else
    text = SquareName(from) + ((entry & PvCaptureFlag) ? "x" : "-") + SquareName(to) + check + "  ";
  if (mode == 1 && index % 2 == 0) text += "\n";
  return text;
}

std::string PvText(int mode) {
  std::string text;
  const u32 length = search.pvTable[1][0];
  for (u32 i = 1; i <= length && i < SearchPlies; ++i) text += PvEntryText(static_cast<int>(i), mode);
  return text;
}

void DisplayPv() { SetInfoText(PvText(1)); }

void PlayPv() {
  const u32 length = search.pvTable[1][0];
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    for (u32 i = 1; i <= length && i < SearchPlies; ++i)
      PlayMoveText(PvEntryText(static_cast<int>(i), 0), gamePosition, 1, nullptr);
  }
  TrimTranscript();
  RebuildTranscript(GamePositionCopy().plyCount - 2);
  CurrentFrontend().RefreshPanel(true);
  CurrentFrontend().RefreshBoard();
}

void DisplayTtEntry() {
  Position game = GamePositionCopy();
  RefreshHashKeys(game);
  const TTBucket* bucket = TranspositionBucket(RepetitionKey(game));
  const TTEntry* entry = nullptr;
  if (bucket && bucket->a.lock == game.hashLock) entry = &bucket->a;
  else if (bucket && bucket->b.lock == game.hashLock) entry = &bucket->b;
  if (!entry) {
    SetInfoText("Not Found");
    return;
  }
  // An exact score has no bound sign; "==" says it is the value itself.
  const char* sign = entry->bound == BoundLower ? ">=" : entry->bound == BoundUpper ? "<=" : "==";
  SetInfoText(Format("Eval: %s%d  \nMove: %s \nDepth: %d \nAge: %d", sign, int(entry->score),
                     ShortMoveText(entry->move & 0xFF, entry->move >> 8, game).c_str(), int(entry->depth),
                     int(entry->age)));
}

} // namespace kestrin
