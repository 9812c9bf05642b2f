#include "eval/endgame.h"

#include "eval/evaltables.h"
#include "eval/kpk.h"

namespace kestrin {

namespace {

constexpr int A7 = A8 + 10, B7 = B8 + 10, G7 = G8 + 10, H7 = H8 + 10;
constexpr int A2 = A1 - 10, B2 = B1 - 10, G2 = G1 - 10, H2 = H1 - 10;

// The corner bonus of a king that lone `bishopSquare` drives, from the side with the minors.
int CornerValue(int bishopSquare, int loneKing) {
  return IsLightSquare(bishopSquare) ? KbnCorner[loneKing] : KbnCorner[MirroredSquare(loneKing)];
}

int FilledSlot(const u8* list, int first, int second) {
  return list[first] != NoSquare ? list[first] : list[second];
}

} // namespace

int EvaluatePawnless(const Position& p, int score) {
  const int material = p.materialScore;
  if (material <= 0 && p.blackPieces <= 1 && p.blackPieces == p.blackMinors) return 0;
  if (material >= 0 && p.whitePieces <= 1 && p.whitePieces == p.whiteMinors) return 0;
  const int whiteKing = KingSquare(p, White), blackKing = KingSquare(p, Black);
  if (p.blackPieces == 0) {
    int result;
    if (p.whitePieces == 2 && p.whiteMinors == 2) {
      int bishop = FilledSlot(p.whitePieceList, 11, 10);
      if (bishop == NoSquare) bishop = D8; // two knights: a dark square stands in
      result = score + 3 * CornerValue(bishop, blackKing) + 50;
    } else {
      result = score + 300 - 2 * LoneKingEdge[blackKing];
    }
    return result - 4 * KingDistance(whiteKing, blackKing);
  }
  if (p.whitePieces == 0) {
    int result;
    if (p.blackPieces == 2 && p.blackMinors == 2) {
      int bishop = FilledSlot(p.blackPieceList, 11, 10);
      if (bishop == NoSquare) bishop = D1; // the mirror of White's stand-in
      result = score - 50 - 3 * CornerValue(bishop, whiteKing);
    } else {
      result = score + 2 * LoneKingEdge[whiteKing] - 300;
    }
    return result + 4 * KingDistance(whiteKing, blackKing);
  }
  if (material > 30 || material < -30) score += KingCentre[whiteKing] - KingCentre[blackKing];
  // A single extra minor piece rarely wins.
  if (p.whitePieces - p.blackPieces == 1 && p.whiteMinors - p.blackMinors == 1 && material < 400) score >>= 3;
  if (p.blackPieces - p.whitePieces == 1 && p.blackMinors - p.whiteMinors == 1 && material > -400) score >>= 3;
  return score;
}

bool WhiteCannotWin(const Position& p) {
  if (p.whitePieces <= 1 && p.whitePieces == p.whiteMinors) return true;
  return p.whitePieces - p.blackPieces == 1 && p.whiteMinors - p.blackMinors == 1 &&
         p.materialScore + 100 * p.blackPawns < 400;
}

bool BlackCannotWin(const Position& p) {
  if (p.blackPieces <= 1 && p.blackPieces == p.blackMinors) return true;
  return p.blackPieces - p.whitePieces == 1 && p.blackMinors - p.whiteMinors == 1 &&
         p.materialScore - 100 * p.whitePawns > -400;
}

int EvaluateFewPieces(const Position& p, int score, int whiteKing, int blackKing, const PawnEntry& pawns) {
  if (ProbeKpkPosition(p, score)) return score;

  const int whiteBishop = FilledSlot(p.whitePieceList, 10, 11);
  const int blackBishop = FilledSlot(p.blackPieceList, 10, 11);
  const bool whiteHasBishop = whiteBishop != NoSquare, blackHasBishop = blackBishop != NoSquare;

  // Rook pawns are drawn when the defending king holds the queening corner and no bishop
  // controls it.
  if (score > 0) {
    if ((p.whitePieces == 0 || (whiteHasBishop && !IsLightSquare(whiteBishop))) && (pawns.flags & WhitePawnsOnA)) {
      if (blackKing == A8 || blackKing == B8 || blackKing == A7 || blackKing == B7) return 0;
      if (ChebyshevDistance(blackKing, A8) <= ChebyshevDistance(whiteKing, A8)) score >>= 1;
    }
    if ((p.whitePieces == 0 || (whiteHasBishop && IsLightSquare(whiteBishop))) && (pawns.flags & WhitePawnsOnH)) {
      if (blackKing == H8 || blackKing == G8 || blackKing == H7 || blackKing == G7) return 0;
      if (ChebyshevDistance(blackKing, H8) <= ChebyshevDistance(whiteKing, H8)) score >>= 1;
    }
  }
  if (score < 0) {
    if ((p.blackPieces == 0 || (blackHasBishop && IsLightSquare(blackBishop))) && (pawns.flags & BlackPawnsOnA)) {
      if (whiteKing == A1 || whiteKing == B1 || whiteKing == A2 || whiteKing == B2) return 0;
      if (ChebyshevDistance(whiteKing, A1) <= ChebyshevDistance(blackKing, A1)) score >>= 1;
    }
    if ((p.blackPieces == 0 || (blackHasBishop && !IsLightSquare(blackBishop))) && (pawns.flags & BlackPawnsOnH)) {
      if (whiteKing == H1 || whiteKing == G1 || whiteKing == H2 || whiteKing == G2) return 0;
      if (ChebyshevDistance(whiteKing, H1) <= ChebyshevDistance(blackKing, H1)) score >>= 1;
    }
  }

  score += KingCentre[whiteKing] - KingCentre[blackKing] + pawns.endgame;
  score += PawnContact(p, whiteKing, blackKing);

  if (whiteHasBishop && blackHasBishop && IsLightSquare(whiteBishop) != IsLightSquare(blackBishop)) {
    if (p.whitePawns + p.blackPawns == 1) return score >> 3;
    int difference = p.whitePawns - p.blackPawns;
    if (difference >= -1 && difference <= 1) return score >> 1;
    score = (score >> 2) + (score >> 1);
  }
  return score;
}

} // namespace kestrin
