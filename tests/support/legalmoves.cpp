#include "support/legalmoves.h"

#include <string>

#include "board/legality.h"
#include "board/movegen.h"
#include "board/tables.h"

namespace kestrin::test {

bool PlayRandomMove(Position& position, std::mt19937& random, PlayedMove& played) {
  std::vector<Move> legal = LegalMoves(position);
  if (legal.empty()) return false;
  played.move = legal[std::uniform_int_distribution<std::size_t>(0, legal.size() - 1)(random)];
  played.promotionType = Queen;
  if (IsPromotion(position, played.move))
    played.promotionType = std::uniform_int_distribution<int>(Bishop, Queen)(random);
  MakeMove(position, played.move, played.undo, played.promotionType);
  return true;
}

std::string SquareName(int square) {
  return {char('a' + FileOf[square] - 1), char('0' + RankOf[square])};
}

} // namespace kestrin::test
