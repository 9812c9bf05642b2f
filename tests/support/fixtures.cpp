#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <mutex>
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
  bool accepted = ReadFen(fen.data(), fen.size(), p);
  EXPECT_TRUE(accepted) << "refused: " << fen;
  return p;
}

std::string ToFen(const Position& position) {
  char buffer[FenBufferSize];
  PositionToFen(buffer, position);
  return buffer;
}

std::string ConsistencyProblems(const Position& p) {
  std::ostringstream out;
  int pieces[2] = {0, 0}, pawns[2] = {0, 0}, minors[2] = {0, 0}, material = 0, pst = 0;
  for (int s = 0; s < BoardSize; ++s) {
    int code = p.board[s];
    bool playing = RankOf[s] != 0;
    if (!playing) {
      if (code != OffBoard && s != 0) out << "byte " << s << " holds " << code << "; ";
      continue;
    }
    if (code == Empty) continue;
    int side = code < BlackOffset ? 0 : 1, type = code & 7;
    const u8* list = side == 0 ? p.whitePieceList : p.blackPieceList;
    int holders = 0;
    for (int slot = 0; slot < 16; ++slot) holders += list[slot] == s;
    if (holders != 1) out << "square " << s << " is in " << holders << " slots; ";
    if (type == King) {
      if (list[KingSlot] != s) out << "king of side " << side << " not in slot 15; ";
      continue;
    }
    material += PieceValue[code];
    pst += PieceSquareTable[code][s];
    if (type == Pawn) ++pawns[side];
    else ++pieces[side];
    if (type == Bishop || type == Knight) ++minors[side];
  }
  for (int side = 0; side < 2; ++side) {
    const u8* list = side == 0 ? p.whitePieceList : p.blackPieceList;
    for (int slot = 0; slot < 16; ++slot) {
      int s = list[slot];
      if (s == NoSquare) continue;
      int code = s < BoardSize ? p.board[s] : 0;
      bool ownMan = code != Empty && code != OffBoard && (code < BlackOffset) == (side == 0);
      if (!ownMan) out << "slot " << slot << " of side " << side << " holds " << s << " without a man; ";
    }
  }
  if (pieces[0] != p.whitePieces || pieces[1] != p.blackPieces) out << "piece counts; ";
  if (pawns[0] != p.whitePawns || pawns[1] != p.blackPawns) out << "pawn counts; ";
  if (minors[0] != p.whiteMinors || minors[1] != p.blackMinors) out << "minor counts; ";
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

std::vector<std::string> MoveTexts(const MoveList& list) {
  std::vector<std::string> texts;
  ForEachMove(list, [&](Move m) { texts.push_back(CoordinateOf(m)); });
  return texts;
}

Move FindMove(const Position& position, const std::string& coordinates) {
  MoveList list;
  GenerateMoves(position.sideToMove, position, list);
  Move found = 0;
  ForEachMove(list, [&](Move m) {
    if (CoordinateOf(m) == coordinates) found = m;
  });
  EXPECT_NE(found, 0u) << "no move " << coordinates << " in " << ToFen(position);
  return found;
}

u32 Play(Position& position, const std::string& coordinates, int promotionType) {
  MoveUndo undo;
  Move m = FindMove(position, coordinates);
  if (m == 0) return ~0u;
  return MakeMove(position, m, undo, promotionType);
}

} // namespace kestrin::test
