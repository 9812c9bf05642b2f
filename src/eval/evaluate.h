// The static evaluation: centipawns from White's point of view.
#pragma once

#include "board/position.h"
#include "eval/pawns.h"

namespace kestrin {

// Bounds wide enough that the lazy exit never fires ("Display Eval" uses them).
constexpr int EvalLowestBound = -30000;
constexpr int EvalHighestBound = 30000;
// The lazy exit skips the piece terms once the score lies this far beyond the bound that
// matters to the side to move.
constexpr int LazyMargin = 130;

// `lower` and `upper` are the caller's window in White's terms; they serve only the lazy exit.
i16 Evaluate(const Position& position, int lower, int upper);

// Terms shared with the diagnostics and the quiescence search.
// By the number of pieces on the board, a queen counting twice: trading down helps the side ahead.
inline constexpr int TradeBonusTable[11] = {120, 120, 105, 90, 76, 64, 52, 40, 30, 20, 10};
// A count below zero comes only from the quiescence estimate of a promotion; it reads as none.
inline int TradeBonus(int pieces) { return pieces < 0 ? TradeBonusTable[0] : pieces < 11 ? TradeBonusTable[pieces] : 0; }
// The material-balance adjustment: a trade bonus for the side ahead (by the pieces left, each
// side's queen counted twice in w and b) and 75 for the side with more pieces. Inline: the
// quiescence search asks for it once per capture.
inline int TradeTerm(int material, int w, int b) {
  int bonus = 0;
  if (material > 198) bonus = TradeBonus(w + b);
  else if (material < -198) bonus = -TradeBonus(w + b);
  if (b < w && w > 1) bonus += 75;
  if (b > w && b > 1) bonus -= 75;
  return bonus;
}
int PieceBalanceBonus(const Position& position);
// Both rooks of a side on the seventh rank (the second for Black).
int SeventhRankRooks(const Position& position);
// Open, half-open and blocked files and lateral freedom of all four rook slots.
int RookFileTerms(const Position& position, const PawnEntry& pawns);

} // namespace kestrin
