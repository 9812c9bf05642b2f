#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <random>
#include <sstream>

#include "board/makemove.h"
#include "board/randomkeys.h"
#include "board/tables.h"
#include "notation/fen.h"

namespace kestrin::test {

void InitTablesOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    InitBoardTables();
    InitHashKeys();
  });
}

Position FromFen(const std::string& fen) {
  InitTablesOnce();
  Position p{};
  EXPECT_TRUE(ReadFen(fen.data(), fen.size(), p)) << "refused: " << fen;
  return p;
}

std::vector<Position> RandomBoards(int count, unsigned seed) {
  InitTablesOnce();
  std::mt19937 random(seed);
  std::vector<Position> boards(count);
  for (Position& p : boards) {
    ClearPosition(p);
    p.castleState[0] = p.castleState[1] = CastleNone;
    PlacePiece(p, random() % 8, random() % 8, WhiteKing);
    while (!PlacePiece(p, random() % 8, random() % 8, BlackKing)) {}
    for (int men = random() % 31; men > 0; --men) {
      const int type = Pawn + random() % 5, code = type + (random() % 2 ? BlackOffset : 0);
      // Refused on a taken square or beyond the side's slots: fewer men then.
      PlacePiece(p, random() % 8, type == Pawn ? 1 + random() % 6 : random() % 8, code);
    }
  }
  return boards;
}

std::string ToFen(const Position& position) {
  char buffer[FenBufferSize];
  PositionToFen(buffer, position);
  std::string fen = buffer;
  // The board, side, castling and en passant; the two clocks are cut off.
  for (int blanks = 0, at = 0; at < static_cast<int>(fen.size()); ++at)
    if (fen[at] == ' ' && ++blanks == 4) return fen.substr(0, at);
  return fen;
}

std::string ConsistencyProblems(const Position& p) {
  std::ostringstream out;
  int men[2] = {0, 0}, pieces[2] = {0, 0}, pawns[2] = {0, 0}, minors[2] = {0, 0}, material = 0, pst = 0;
  for (int s = 0; s < BoardSize; ++s) {
    const int code = p.board[s];
    if (!RankOf[s]) {
      if (code != OffBoard && s != 0) out << "byte " << s << " holds " << code << "; ";
      continue;
    }
    if (code == Empty) continue;
    const int side = code < BlackOffset ? 0 : 1, type = code & 7;
    const u8* list = side == 0 ? p.whitePieceList : p.blackPieceList;
    const long holders = std::count(list, list + 16, s);
    if (holders != 1 || (type == King && list[KingSlot] != s)) out << "square " << s << " in " << holders << " slots; ";
    ++men[side];
    if (type == King) continue;
    material += PieceValue[code];
    pst += PieceSquareTable[code][s];
    ++(type == Pawn ? pawns : pieces)[side];
    minors[side] += type == Bishop || type == Knight;
  }
  // Each man is in one slot of its side; any further filled slot holds no man of that side.
  for (int side = 0; side < 2; ++side) {
    const u8* list = side == 0 ? p.whitePieceList : p.blackPieceList;
    if (16 - std::count(list, list + 16, NoSquare) != men[side]) out << "a slot of side " << side << " holds no man; ";
  }
  if (pieces[0] != p.whitePieces || pieces[1] != p.blackPieces || pawns[0] != p.whitePawns ||
      pawns[1] != p.blackPawns || minors[0] != p.whiteMinors || minors[1] != p.blackMinors)
    out << "piece, pawn or minor counts; ";
  if (material != p.materialScore) out << "material " << p.materialScore << " should be " << material << "; ";
  if (pst != p.pstScore) out << "pst " << p.pstScore << " should be " << pst << "; ";
  return out.str();
}

std::string CoordinateOf(Move move) {
  static const int kingFrom[4] = {E1, E1, E8, E8};
  int from = MoveFrom(move);
  if (from >= FirstCastleCode) from = kingFrom[(from - CastleWhiteShort) & 3];
  auto square = [](int s) { return std::string{char('a' + s % 10 - 2), char('0' + 10 - s / 10)}; };
  return square(from) + square(MoveTo(move));
}

u32 Play(Position& position, const std::string& coordinates, int promotionType) {
  MoveList list;
  GenerateMoves(position.sideToMove, position, list);
  Move found = 0;
  ForEachMove(list, [&](Move m) { found = CoordinateOf(m) == coordinates ? m : found; });
  MoveUndo undo;
  EXPECT_NE(found, 0u) << "no move " << coordinates << " in " << ToFen(position);
  return found ? MakeMove(position, found, undo, promotionType) : ~0u;
}

} // namespace kestrin::test
