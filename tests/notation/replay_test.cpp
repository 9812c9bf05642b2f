// Random legal games entered as text in every form the reader accepts, recorded, and
// rebuilt ply by ply from the record.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/moveentry.h"
#include "board/tables.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "support/gamereset.h"
#include "support/legalmoves.h"

namespace kestrin {
namespace {

using test::SquareName;

// Standard short algebraic text, disambiguated only as far as needed.
std::string ShortAlgebraic(const Position& p, Move move, const std::vector<Move>& legal, std::mt19937& random,
                           int promotion) {
  const int from = MoveFrom(move), to = MoveTo(move), code = p.board[from];
  std::string text;
  if ((code & 7) == Pawn) {
    if (FileOf[from] != FileOf[to]) text = SquareName(from).substr(0, 1) + "x";
  } else {
    text = std::string(1, "..pBNRQK"[code & 7]);
    bool clash = false, fileClash = false, rankClash = false;
    for (Move other : legal) {
      if (other == move || IsCastling(other) || MoveTo(other) != to || p.board[MoveFrom(other)] != code) continue;
      clash = true;
      fileClash |= FileOf[MoveFrom(other)] == FileOf[from];
      rankClash |= RankOf[MoveFrom(other)] == RankOf[from];
    }
    if (clash && !fileClash) text += SquareName(from).substr(0, 1);
    else if (clash && !rankClash) text += SquareName(from).substr(1, 1);
    else if (clash) text += SquareName(from);
    if (p.board[to] != Empty) text += "x";
  }
  text += SquareName(to);
  if ((code & 7) == Pawn && (RankOf[to] == 8 || RankOf[to] == 1)) {
    char letter = "..pBNRQK"[promotion];
    int spelling = static_cast<int>(random() % 4);
    if (spelling >= 2) letter = static_cast<char>(letter - 'A' + 'a');
    // Without "=" a lower-case "b" right after the square would read as a file.
    if (spelling % 2 == 0 || letter == 'b') text += "=";
    text += letter;
  }
  static const char* const marks[5] = {"", "", "+", "!", "?!"};
  return text + marks[random() % 5];
}

std::string TextOf(const Position& p, Move move, int promotion, const std::vector<Move>& legal, std::mt19937& random) {
  if (IsCastling(move) && random() % 2) {
    bool isShort = MoveFrom(move) == CastleWhiteShort || MoveFrom(move) == CastleBlackShort;
    static const char* const shortForms[3] = {"O-O", "0-0", "o-o"};
    static const char* const longForms[3] = {"O-O-O", "0-0-0", "o-o-o"};
    const char* const* forms = isShort ? shortForms : longForms;
    return forms[random() % 3];
  }
  switch (random() % 3) {
  case 0: {
    PromotionChoice = promotion;
    char slot[MoveTextSlotSize];
    FormatMoveText(slot, p, move);
    return slot;
  }
  case 1: {
    int from = IsCastling(move) ? KingSquare(p, p.sideToMove) : MoveFrom(move);
    std::string text = SquareName(from) + SquareName(MoveTo(move));
    if (!IsCastling(move) && (p.board[from] & 7) == Pawn && (RankOf[MoveTo(move)] % 7) == 1)
      text += "..pbnrqk"[promotion];
    return text;
  }
  default:
    if (IsCastling(move)) return MoveFrom(move) == CastleWhiteShort || MoveFrom(move) == CastleBlackShort ? "O-O" : "O-O-O";
    return ShortAlgebraic(p, move, legal, random, promotion);
  }
}

TEST(RandomGames, PlayedFromTextAndReplayedFromTheRecord) {
  std::mt19937 random(4242);
  int promotions = 0, castlings = 0, enPassants = 0, plies = 0;
  for (int game = 0; game < 1000; ++game) {
    test::ResetGame();
    std::vector<Position> positions{gamePosition};
    const int length = 20 + static_cast<int>(random() % 140);
    for (int ply = 0; ply < length; ++ply) {
      std::vector<Move> legal = test::LegalMoves(gamePosition);
      if (legal.empty()) break;
      Move move = legal[random() % legal.size()];
      int promotion = static_cast<int>(Bishop + random() % 4);
      Position expected = gamePosition;
      MoveUndo undo;
      u32 moveClass = MakeMove(expected, move, undo, promotion);
      bool promoting = !IsCastling(move) && (gamePosition.board[MoveFrom(move)] & 7) == Pawn &&
                       (RankOf[MoveTo(move)] == 8 || RankOf[MoveTo(move)] == 1);
      std::string text = TextOf(gamePosition, move, promotion, legal, random);
      ASSERT_EQ(PlayMoveText(text, gamePosition, 1, nullptr), 1) << "game " << game << " text " << text;
      ASSERT_EQ(0, std::memcmp(&gamePosition, &expected, sizeof expected)) << "game " << game << " text " << text;
      promotions += promoting;
      castlings += IsCastling(move);
      enPassants += moveClass == ClassEnPassant;
      positions.push_back(gamePosition);
      ++plies;
    }
    ASSERT_EQ(HistoryCount(), static_cast<int>(positions.size()) - 1);
    for (int n = 1; n <= static_cast<int>(positions.size()); ++n) {
      Position replayed;
      PositionAtPly(replayed, n);
      ASSERT_EQ(0, std::memcmp(&replayed, &positions[n - 1], sizeof replayed)) << "game " << game << " ply " << n;
    }
  }
  test::ResetGame();
  // The walk must have met the moves whose texts are special.
  EXPECT_GT(promotions, 20);
  EXPECT_GT(castlings, 20);
  EXPECT_GT(enPassants, 5);
  EXPECT_GT(plies, 50000);
}

} // namespace
} // namespace kestrin
