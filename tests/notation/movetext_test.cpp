// Move text: the one form the record is written in, the many it is read in, and random games
// entered in every accepted form and rebuilt from the record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/tables.h"
#include "notation/history.h"
#include "notation/moveentry.h"
#include "notation/movetext.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/legalmoves.h"
#include "support/san.h"

namespace kestrin {
namespace {

using test::FromFen;

const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

bool Same(const Position& a, const Position& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class MoveText : public ::testing::Test {
protected:
  void SetUp() override { test::ResetGame(); }
  void TearDown() override { test::ResetGame(); }
};

// What the random games below leave out: lenient spellings, texts that fit nothing, the choice
// among pieces that fit, castling without the right or off the board, and the recorded texts.
TEST_F(MoveText, ReadAndRecordedForms) {
  const char* const knights = "4k3/8/8/8/8/8/8/3KN1N1 w - -";
  const struct {
    const char* fen;
    std::vector<std::string> texts;
    const char* move; // nullptr: refused, nothing changes or is recorded
    int promotion;
    const char* recorded;
  } cases[] = {
      {Start, {"e2e4", "pe4", "e2xe4", "e4!?"}, "e2e4", Queen, "e2-e4 "},
      {Start, {"e5", "Nf4", "O-O", "Qd1d1", "1-0", "", "=Q", "k", "z9", std::string(10000, 'O'), std::string("e\0e4", 4)},
       nullptr, Queen, ""},
      {knights, {"Ngf3", "Nf3"}, "g1f3", Queen, "Ng1-f3"}, // without a hint, the knight placed later
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", {"o-o-o"}, "e8c8", Queen, "O-O-O "},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", {"exd6"}, "e5d6", Queen, "e5-d6 "}, // en passant shows no capture
      {"3rk3/4P3/8/8/8/8/8/4K3 w - -", {"exd8=N", "e7d8n"}, "e7d8", Knight, "e7xd8=N"},
      {"4k3/P7/8/8/8/8/8/4K3 w - -", {"a8", "a8=K"}, "a7a8", Queen, "a7-a8=Q"},
      {"4k3/8/8/8/8/8/p7/4K3 b - -", {"a1=R"}, "a2a1", Rook, "a2-a1=R"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w - -", {"O-O", "O-O-O"}, nullptr, Queen, ""},
  };
  for (const auto& c : cases) {
    const Position p = FromFen(c.fen);
    Position expected = p;
    if (c.move) test::Play(expected, c.move, c.promotion);
    for (const std::string& text : c.texts) {
      ResetGameRecord(&p);
      EXPECT_EQ(PlayMoveText(text, gamePosition, 1, nullptr), c.move ? 1 : 0) << c.fen << " " << text.substr(0, 20);
      EXPECT_TRUE(Same(gamePosition, expected)) << c.fen << " " << text.substr(0, 20);
      EXPECT_EQ(LastRecordedText(), c.recorded) << c.fen << " " << text.substr(0, 20);
    }
  }
}

// A move as the record writes it, in coordinates, or in standard short algebraic with the
// spellings people use (0-0, o-o, e8q, e8=n, annotation marks).
std::string AnyText(const Position& p, Move move, int promotion, std::mt19937& random) {
  switch (random() % 3) {
  case 0: {
    PromotionChoice = promotion;
    char slot[MoveTextSlotSize];
    FormatMoveText(slot, p, move);
    return slot;
  }
  case 1: {
    const int to = MoveTo(move);
    const bool promoting = !IsCastling(move) && (p.board[MoveFrom(move)] & 7) == Pawn && RankOf[to] % 7 == 1;
    return test::CoordinateOf(move) + (promoting ? std::string(1, "..pbnrq"[promotion]) : "");
  }
  default: {
    std::string san = test::SanOf(p, move, promotion);
    if (IsCastling(move) && random() % 2) std::replace(san.begin(), san.end(), 'O', "0o"[random() % 2]);
    if (const auto eq = san.find('='); eq != std::string::npos && random() % 2) {
      san[eq + 1] = static_cast<char>(std::tolower(san[eq + 1]));
      // Without "=" a lower-case "b" right after the square would read as a file.
      if (san[eq + 1] != 'b') san.erase(eq, 1);
    }
    static const char* const marks[3] = {"", "!", "?!"};
    return san + marks[random() % 3];
  }
  }
}

TEST_F(MoveText, RandomGamesPlayedFromTextAndReplayedFromTheRecord) {
  std::mt19937 random(4242);
  int promotions = 0, castlings = 0, enPassants = 0;
  for (int game = 0; game < 500; ++game) {
    test::ResetGame();
    std::vector<Position> positions{gamePosition};
    for (int ply = 20 + static_cast<int>(random() % 140); ply > 0; --ply) {
      const std::vector<Move> legal = test::LegalMoves(gamePosition);
      if (legal.empty()) break;
      const Move move = legal[random() % legal.size()];
      const int promotion = static_cast<int>(Bishop + random() % 4);
      Position expected = gamePosition;
      MoveUndo undo;
      const u32 moveClass = MakeMove(expected, move, undo, promotion);
      const std::string text = AnyText(gamePosition, move, promotion, random);
      promotions += !IsCastling(move) && (gamePosition.board[MoveFrom(move)] & 7) == Pawn && RankOf[MoveTo(move)] % 7 == 1;
      castlings += IsCastling(move);
      enPassants += moveClass == ClassEnPassant;
      ASSERT_EQ(PlayMoveText(text, gamePosition, 1, nullptr), 1) << "game " << game << " text " << text;
      ASSERT_TRUE(Same(gamePosition, expected)) << "game " << game << " text " << text;
      positions.push_back(gamePosition);
    }
    ASSERT_EQ(HistoryCount(), static_cast<int>(positions.size()) - 1);
    for (int n = 1; n <= static_cast<int>(positions.size()); ++n) {
      Position replayed;
      PositionAtPly(replayed, n);
      ASSERT_TRUE(Same(replayed, positions[n - 1])) << "game " << game << " ply " << n;
    }
  }
  // The walk must have met the moves whose texts are special.
  EXPECT_GT(promotions, 10);
  EXPECT_GT(castlings, 10);
  EXPECT_GT(enPassants, 3);
}

} // namespace
} // namespace kestrin
