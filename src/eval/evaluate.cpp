#include "eval/evaluate.h"

#include <cstdlib>

#include "board/tables.h"
#include "eval/endgame.h"
#include "eval/evaltables.h"

namespace kestrin {

namespace {

// Tropism by king distance (|file difference| + |rank difference|, at most 14).
constexpr int QueenTropism[15] = {0, 19, 16, 13, 10, 9, 8, 7, 6, 5, 4, 2, 1, 0, 0};
constexpr int KnightTropism[15] = {0, 10, 10, 12, 11, 9, 7, 6, 4, 2, 0, 0, 0, 0, 0};
// By the difference of diagonal numbers, and by the file distance of a rook to the enemy king.
constexpr int BishopTropismTable[4] = {11, 7, 3, 0};
constexpr int RookKingFileTable[4] = {12, 7, 2, 0};

constexpr int BishopTropism(int difference) { return difference < 4 ? BishopTropismTable[difference] : 0; }
// By the number of empty squares next to a bishop on its diagonals.
constexpr int BishopPenalty[5] = {-13, -7, 0, 0, 0};

// Per square its rank minus file and rank plus file (each constant along one diagonal), and
// the tropism by their signed difference between bishop and king, offset by 14.
struct BishopLineTables {
  signed char rising[128];
  signed char falling[128];
  signed char tropism[29];
};
constexpr BishopLineTables MakeBishopLines() {
  BishopLineTables t{};
  for (int row = 0; row < 8; ++row)
    for (int file = 1; file <= 8; ++file) {
      const int s = SquareOf(file - 1, row), rank = 8 - row;
      t.rising[s] = static_cast<signed char>(rank - file);
      t.falling[s] = static_cast<signed char>(rank + file);
    }
  for (int d = -14; d <= 14; ++d) t.tropism[d + 14] = static_cast<signed char>(BishopTropism(d < 0 ? -d : d));
  return t;
}
constexpr BishopLineTables BishopLines = MakeBishopLines();
int RookKingFileBonus(int distance) { return distance < 4 ? RookKingFileTable[distance] : 0; }

int PiecesWithQueen(int pieces, const u8* list) { return pieces + (list[QueenSlot] != NoSquare ? 1 : 0); }

// Empty squares beside a rook on its rank: up to two to the right, then up to two to the left.
int LateralFreedom(const Position& p, int rook) {
  int freedom = 0;
  if (p.board[rook + 1] == Empty) freedom = p.board[rook + 2] == Empty ? 2 : 1;
  if (p.board[rook - 1] == Empty) freedom += p.board[rook - 2] == Empty ? 2 : 1;
  return freedom;
}

// A rook's file term, as a gain for the rook's side.
int RookTerm(const Position& p, int rook, u8 ownFiles, u8 enemyFiles, int enemyKing) {
  const u8 bit = static_cast<u8>(1u << (FileOf[rook] - 1));
  const int freedom = LateralFreedom(p, rook);
  if (ownFiles & bit) return freedom <= 1 ? -18 : 0;
  int term = RookKingFileBonus(std::abs(FileOf[rook] - FileOf[enemyKing])) + ((enemyFiles & bit) ? 15 : 25);
  return freedom == 0 ? term - 18 : term;
}

int KingShields(const Position& p, int whiteKing, int blackKing) {
  int shields = 0;
  if (p.castleState[0] >= CastleNone) {
    auto pawn = [&p](int a, int b) { return p.board[a] == WhitePawn || p.board[b] == WhitePawn; };
    shields -= 16;
    if (pawn(whiteKing - 10, whiteKing - 20)) shields += 16;
    if (pawn(whiteKing - 11, whiteKing - 21)) shields += 11;
    if (pawn(whiteKing - 9, whiteKing - 19)) shields += 11;
  }
  if (p.castleState[1] >= CastleNone) {
    auto pawn = [&p](int a, int b) { return p.board[a] == BlackPawn || p.board[b] == BlackPawn; };
    shields += 16;
    if (pawn(blackKing + 10, blackKing + 20)) shields -= 16;
    if (pawn(blackKing + 11, blackKing + 21)) shields -= 11;
    if (pawn(blackKing + 9, blackKing + 19)) shields -= 11;
  }
  return shields;
}

// A bishop's mobility penalty and tropism toward the enemy king, as a gain for its side.
[[gnu::always_inline]] inline int BishopTerm(const Position& p, int bishop, int enemyKing) {
  const int empty = (p.board[bishop - 11] == Empty) + (p.board[bishop - 9] == Empty) + (p.board[bishop + 9] == Empty) +
                    (p.board[bishop + 11] == Empty);
  return BishopLines.tropism[BishopLines.rising[bishop] - BishopLines.rising[enemyKing] + 14] +
         BishopLines.tropism[BishopLines.falling[bishop] - BishopLines.falling[enemyKing] + 14] + BishopPenalty[empty];
}

int PieceTerms(const Position& p, int whiteKing, int blackKing) {
  const u8* w = p.whitePieceList;
  const u8* b = p.blackPieceList;
  int score = 0;
  if (w[QueenSlot] != NoSquare) score += QueenTropism[KingDistance(w[QueenSlot], blackKing)];
  if (b[QueenSlot] != NoSquare) score -= QueenTropism[KingDistance(b[QueenSlot], whiteKing)];
  for (int slot = 8; slot <= 9; ++slot) {
    if (w[slot] != NoSquare) score += KnightTropism[KingDistance(w[slot], blackKing)];
    if (b[slot] != NoSquare) score -= KnightTropism[KingDistance(b[slot], whiteKing)];
  }
  for (int slot = 10; slot <= 11; ++slot) {
    if (w[slot] != NoSquare) score += BishopTerm(p, w[slot], blackKing);
    if (b[slot] != NoSquare) score -= BishopTerm(p, b[slot], whiteKing);
  }
  if (w[10] != NoSquare && w[11] != NoSquare) score += 15;
  if (b[10] != NoSquare && b[11] != NoSquare) score -= 15;
  return score;
}

} // namespace

int PieceBalanceBonus(const Position& p) {
  return TradeTerm(p.materialScore, PiecesWithQueen(p.whitePieces, p.whitePieceList),
                   PiecesWithQueen(p.blackPieces, p.blackPieceList));
}

int SeventhRankRooks(const Position& p) {
  const u8* w = p.whitePieceList;
  const u8* b = p.blackPieceList;
  int score = 0;
  if (RankOf[w[12]] == 7 && RankOf[w[13]] == 7) score += RankOf[b[KingSlot]] == 8 ? 95 : 24;
  if (RankOf[b[12]] == 2 && RankOf[b[13]] == 2) score -= RankOf[w[KingSlot]] == 1 ? 95 : 24;
  return score;
}

int RookFileTerms(const Position& p, const PawnEntry& pawns) {
  const int whiteKing = KingSquare(p, White), blackKing = KingSquare(p, Black);
  int score = 0;
  for (int slot = 12; slot <= 13; ++slot) {
    if (int rook = p.whitePieceList[slot]; rook != NoSquare)
      score += RookTerm(p, rook, pawns.whiteFiles, pawns.blackFiles, blackKing);
    if (int rook = p.blackPieceList[slot]; rook != NoSquare)
      score -= RookTerm(p, rook, pawns.blackFiles, pawns.whiteFiles, whiteKing);
  }
  return score;
}

i16 Evaluate(const Position& p, int lower, int upper) {
  int score = p.materialScore + PieceBalanceBonus(p);
  if (p.whitePawns == 0 && p.blackPawns == 0) return static_cast<i16>(EvaluatePawnless(p, score));

  score += SeventhRankRooks(p);
  score += p.pstScore;
  const PawnEntry pawns = ProbePawns(p);
  score += pawns.structure;

  if (p.whitePawns == 0 && score >= 0 && WhiteCannotWin(p)) return -1;
  if (p.blackPawns == 0 && score <= 0 && BlackCannotWin(p)) return 1;

  const int whiteKing = KingSquare(p, White), blackKing = KingSquare(p, Black);
  if (p.whitePieces <= 1 && p.blackPieces <= 1)
    return static_cast<i16>(EvaluateFewPieces(p, score, whiteKing, blackKing, pawns));

  if (p.sideToMove == Black ? score < lower - LazyMargin : score > upper + LazyMargin)
    return static_cast<i16>(score);

  const int limit = p.whitePieceList[QueenSlot] == NoSquare && p.blackPieceList[QueenSlot] == NoSquare ? 3 : 2;
  if (p.blackPieces <= limit && p.whitePieces <= limit) {
    score += KingCentre[whiteKing] - KingCentre[blackKing] + pawns.endgame;
    score += PawnContact(p, whiteKing, blackKing);
  } else {
    if (p.castleState[0] == CastleNone) score -= 29;
    if (p.castleState[1] == CastleNone) score += 29;
    score += pawns.middlegame;
    score += KingShields(p, whiteKing, blackKing);
    if (p.plyCount < 48) score += PieceSquareTable[WhiteKing][whiteKing] + PieceSquareTable[BlackKing][blackKing];
  }
  score += RookFileTerms(p, pawns);
  score += PieceTerms(p, whiteKing, blackKing);
  return static_cast<i16>(score);
}

} // namespace kestrin
