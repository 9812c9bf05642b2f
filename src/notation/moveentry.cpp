#include "notation/moveentry.h"

#include "board/legality.h"
#include "board/movegen.h"
#include "board/tables.h"
#include "notation/history.h"
#include "platform/frontend.h"

namespace kestrin {

std::atomic<int> PromotionChoice{Queen};

namespace {

bool IsCoordinate(int value) { return value >= 0 && value <= 7; }

// A king clicked two files sideways on its own row stands for castling.
void TranslateCastling(const Position& p, int side, int fromFile, int fromRow, int toFile, int toRow, int& from,
                       int& to) {
  if (!IsCoordinate(fromFile) || !IsCoordinate(fromRow) || fromRow != toRow) return;
  if (p.board[from] != (side == White ? WhiteKing : BlackKing)) return;
  int step = toFile - fromFile;
  if (step != 2 && step != -2) return;
  if (side == White) {
    from = step > 0 ? CastleWhiteShort : CastleWhiteLong;
    to = step > 0 ? G1 : C1;
  } else {
    from = step > 0 ? CastleBlackShort : CastleBlackLong;
    to = step > 0 ? G8 : C8;
  }
}

} // namespace

int EnterHumanMove(Position& position, int fromFile, int fromRow, int toFile, int toRow, int side, int pieceCode,
                   int record, GameHistory* recordTarget, int& outFrom, int& outTo) {
  const bool fileGiven = fromFile != -1, rowGiven = fromRow != -1;
  if ((fileGiven && !IsCoordinate(fromFile)) || (rowGiven && !IsCoordinate(fromRow)) || !IsCoordinate(toFile) ||
      !IsCoordinate(toRow) || (side != White && side != Black))
    return 0;
  // Without its king a side has no legal moves to speak of; the generators need both kings.
  if (KingSquare(position, White) == NoSquare || KingSquare(position, Black) == NoSquare) return 0;

  MoveList list;
  GenerateMoves(side, position, list);
  int from = fileGiven && rowGiven ? SquareOf(fromFile, fromRow) : 0;
  int to = SquareOf(toFile, toRow);
  if (fileGiven && rowGiven) TranslateCastling(position, side, fromFile, fromRow, toFile, toRow, from, to);

  auto fits = [&](Move m) {
    int mFrom = MoveFrom(m);
    if (fileGiven && rowGiven) return mFrom == from && MoveTo(m) == to;
    if (IsCastling(m) || MoveTo(m) != to || position.board[mFrom] != pieceCode) return false;
    if (fileGiven) return FileOf[mFrom] == fromFile + 1;
    if (rowGiven) return RankOf[mFrom] == 8 - fromRow;
    return true;
  };
  auto legal = [&](Move m) { return IsLegalMove(position, m, side); };
  int chosen = -1;
  for (u32 i = 1; i <= list.captureCount; ++i)
    if (fits(list.Capture(i)) && legal(list.Capture(i))) chosen = static_cast<int>(i);
  for (u32 j = 1; j <= list.quietCount; ++j)
    if (fits(list.Quiet(j)) && legal(list.Quiet(j))) chosen = QuietBase + static_cast<int>(j);
  if (chosen < 0) return 0;

  const Move move = list.moves[chosen];
  outFrom = MoveFrom(move);
  outTo = MoveTo(move);
  if (PromotionChoice.load() == 0 && !IsCastling(move) && (position.board[outFrom] & 7) == Pawn &&
      (RankOf[outTo] == 8 || RankOf[outTo] == 1)) {
    int answer = CurrentFrontend().AskPromotion();
    PromotionChoice = answer >= Bishop && answer <= Queen ? answer : Queen;
  }
  const Position before = position;
  MoveUndo undo;
  MakeMove(position, move, undo, PromotionChoice.load());
  if (record == 1) RecordMove(recordTarget, list, chosen, before);
  return 1;
}

} // namespace kestrin
