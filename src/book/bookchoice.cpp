// Choosing a move from the book: the moves that lead to book positions, filtered by the
// side to move's point of view and picked at random with a lean towards marked moves.
#include <cstdlib>
#include <string>

#include "board/keys.h"
#include "board/legality.h"
#include "board/randomkeys.h"
#include "book/book.h"
#include "notation/history.h"
#include "notation/moveentry.h"
#include "platform/clock.h"
#include "platform/frontend.h"

namespace kestrin {

int BookCandidates(const Position& position, BookMoveList& out) {
  out.count = 0;
  const int side = position.sideToMove == Black ? Black : White;
  if (KingSquare(position, White) == NoSquare || KingSquare(position, Black) == NoSquare) return 0;
  GenerateMoves(side, position, out.generated);
  PromotionChoice = Queen;
  auto consider = [&](int index) {
    Position next;
    // A book reached by a move that leaves the king en prise (a key collision, a foreign
    // book) must not make the program play an illegal move.
    if (!TryMove(position, out.generated.moves[index], side, next)) return;
    int value = BookLookup(next);
    if (value == BookEmptyValue || RepetitionCount(next) != 0) return;
    out.index[out.count] = index;
    out.value[out.count] = value;
    ++out.count;
  };
  for (u32 i = 1; i <= out.generated.captureCount; ++i) consider(static_cast<int>(i));
  for (u32 j = 1; j <= out.generated.quietCount; ++j) consider(QuietBase + static_cast<int>(j));
  return out.count;
}

int ShowBookMoveCount(const Position& position, BookMoveList& out) {
  const int count = BookCandidates(position, out);
  SetInfoText("# of Book Moves: " + std::to_string(count) + " \n");
  return count;
}

int ChooseBookMove(Position& position) {
  SeedRandom(static_cast<u32>(ClockMilliseconds()));
  BookMoveList candidates;
  if (BookCandidates(position, candidates) == 0) return BookEmptyValue;

  const bool white = position.sideToMove != Black;
  int kept[QuietBase + QuietCapacity + 1];
  int keptCount = 0;
  for (int i = 0; i < candidates.count; ++i) {
    int value = candidates.value[i];
    if (white ? value >= 0 : value <= 0) kept[keptCount++] = i;
  }
  if (keptCount == 0) return BookEmptyValue;

  int pick = kept[DrawRandom() % keptCount];
  if (std::abs(candidates.value[pick]) != 2) pick = kept[DrawRandom() % keptCount];
  if (candidates.value[pick] == 0) pick = kept[DrawRandom() % keptCount];

  PromotionChoice = Queen;
  const int index = candidates.index[pick];
  RecordMove(nullptr, candidates.generated, index, position);
  MoveUndo undo;
  MakeMove(position, candidates.generated.moves[index], undo, Queen);
  return candidates.value[pick];
}

} // namespace kestrin
