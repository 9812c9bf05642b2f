// The game record: the moves of a game as move texts, one per ply, from which any position
// of the game is rebuilt; with it the program-wide values of the game on the board.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "board/movegen.h"
#include "board/position.h"
#include "notation/movetext.h"

namespace kestrin {

constexpr int HistorySlots = 600;
// A record holding this many plies takes no more moves.
constexpr int MaxRecordedPlies = HistorySlots - 4;

struct GameHistory {
  std::int32_t count;                     // plies recorded; read it with HistoryCount across threads
  char slots[HistorySlots][MoveTextSlotSize]; // ply p in slot p - 1
};
static_assert(std::is_trivially_copyable_v<GameHistory>);

// The main record, the game on the board and the position that game started from.
extern GameHistory gameHistory;
extern Position gamePosition;
extern Position startPosition;
// Clock time used by each side in hundredths of a second, charged when a move is recorded;
// turnStart is the clock reading at which the side to move began to be charged.
extern std::atomic<int> whiteUsed;
extern std::atomic<int> blackUsed;
extern std::atomic<std::int64_t> turnStart;
// A GameResult code; GameInProgress while the game goes on.
extern std::atomic<int> gameState;

// Records the move list.moves[index], about to be made on `before` (the caller makes it),
// in `history` (nullptr: the main record), dropping every ply after it. The main record
// also charges the mover's clock, keeps the repetition key and marks the game in progress.
void RecordMove(GameHistory* history, const MoveList& list, int index, const Position& before);
void ClearHistory(GameHistory* history);

int HistoryCount(const GameHistory* history = nullptr);
// A record's plies run from its start position's ply `firstPly` to the last ply recorded,
// `lastPly` (0: none yet); odd plies are White's moves, even ones Black's, so a game set up
// with Black to move begins with Black. The moves `side` has made, and the side to move now.
int MovesMadeBy(int side, int firstPly, int lastPly);
int SideToMoveAfter(int firstPly, int lastPly);
// The text of ply `ply` (blanks included), "" outside the record's slots.
std::string_view PlyText(const GameHistory& history, int ply);
// The text of the last recorded ply, "" when nothing is recorded.
std::string_view LastRecordedText(const GameHistory* history = nullptr);
// True when no recorded ply lies ahead of the game position.
bool GamePositionAtEnd();

// `start` with the first n - 1 recorded plies of `history` replayed (never more than it holds).
void ReplayToPly(const GameHistory& history, const Position& start, Position& target, int n);
// The same for the main record and startPosition.
void PositionAtPly(Position& target, int n);

} // namespace kestrin
