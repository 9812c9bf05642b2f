#include "search/output.h"

#include <cstdio>
#include <cstdlib>

#include "board/keys.h"
#include "board/types.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "notation/transcript.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "search/searchstate.h"
#include "search/transposition.h"

namespace kestrin {

std::atomic<int> EvalsFromWhitePov{1};

std::string SquareName(int square) { return {char('a' + square % 10 - 2), char('0' + 10 - square / 10)}; }

namespace {

Position GamePositionCopy() {
  std::lock_guard<std::mutex> lock(GameMutex());
  return gamePosition;
}

} // namespace

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
  if (from == CastleWhiteShort || from == CastleBlackShort) text = PanelFormat("o-o%c ", check) + (mode == 1 ? "   " : "");
  else if (from == CastleWhiteLong || from == CastleBlackLong) text = PanelFormat("o-o-o%c  ", check);
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
  SetInfoText(PanelFormat("Eval: %s%d  \nMove: %s \nDepth: %d \nAge: %d", sign, int(entry->score),
                     ShortMoveText(entry->move & 0xFF, entry->move >> 8, game).c_str(), int(entry->depth),
                     int(entry->age)));
}

} // namespace kestrin
