#include "eval/diagnostics.h"

#include <cstdio>

#include "eval/evaluate.h"
#include "eval/pawns.h"
#include "notation/history.h"
#include "platform/frontend.h"

namespace kestrin {

std::string BoardFlagsText(const Position& p) {
  char text[256];
  std::snprintf(text, sizeof text,
                "GT: %d  Rev: %d\n"
                "Pieces W: %d  B: %d\n"
                "Minors W: %d  B: %d\n"
                "Pawns  W: %d  B: %d\n"
                "Castle W: %d  B: %d\n"
                "EnPassant: %d\n",
                p.plyCount, p.irreversiblePly, p.whitePieces, p.blackPieces, p.whiteMinors, p.blackMinors,
                p.whitePawns, p.blackPawns, p.castleState[0], p.castleState[1], p.epSquare);
  return text;
}

int DisplayPieceBalance(const Position& p) { return PieceBalanceBonus(p); }

PawnAndRookValues DisplayPawnAndRooks(const Position& p) {
  const PawnEntry pawns = ProbePawns(p);
  const bool middlegame = p.whitePieces > 3 || p.blackPieces > 3;
  return {pawns.structure + (middlegame ? pawns.middlegame : pawns.endgame),
          RookFileTerms(p, pawns) + SeventhRankRooks(p)};
}

std::string EvalTermsText(const Position& position) {
  // The game position keeps its pawn key relative to the game's start; a search recomputes
  // it, and so does the display, so that both share the pawn table's keys.
  Position p = position;
  p.pawnKey = PawnKeyOf(p);
  PreparePawnSelectors(p);
  const PawnAndRookValues values = DisplayPawnAndRooks(p);
  const int eval = Evaluate(p, EvalLowestBound, EvalHighestBound);
  char text[256];
  std::snprintf(text, sizeof text,
                "Eval: %d\n"
                "Material: %d\nSqTable: %d  \n"
                "Pawn: %d Rook: %d\n"
                "PLq: %d \n",
                eval, p.materialScore, p.pstScore, values.pawn, values.rook, DisplayPieceBalance(p));
  return text;
}

void ShowBoardFlags() { SetInfoText(BoardFlagsText(gamePosition)); }

void ShowEvalTerms() { SetInfoText(EvalTermsText(gamePosition)); }

} // namespace kestrin
