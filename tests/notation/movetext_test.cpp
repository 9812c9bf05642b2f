#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <string>

#include "board/moveentry.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "support/fixtures.h"
#include "support/gamereset.h"

namespace kestrin {
namespace {

using test::FromFen;

class MoveText : public ::testing::Test {
protected:
  void SetUp() override { test::ResetGame(); }
  void TearDown() override { test::ResetGame(); }

  // The text FormatMoveText writes for the coordinate move on `p`.
  std::string Written(const Position& p, const char* coordinates, int promotion = Queen) {
    PromotionChoice = promotion;
    char slot[MoveTextSlotSize];
    std::memset(slot, '#', sizeof slot);
    FormatMoveText(slot, p, test::FindMove(p, coordinates));
    EXPECT_EQ(slot[7], 0) << "the slot ends with a zero";
    return std::string(slot, strnlen(slot, sizeof slot));
  }
  // The position after the text, or the untouched position when the text was refused.
  Position After(const Position& p, std::string_view text, int* accepted = nullptr) {
    Position q = p;
    int r = PlayMoveText(text, q, 0, nullptr);
    if (accepted) *accepted = r;
    return q;
  }
  static bool Same(const Position& a, const Position& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
};

TEST_F(MoveText, WrittenForms) {
  Position start;
  SetStartPosition(start);
  EXPECT_EQ(Written(start, "g1f3"), "Ng1-f3");
  EXPECT_EQ(Written(start, "e2e4"), "e2-e4 ");
  Position castles = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
  EXPECT_EQ(Written(castles, "e1g1"), "O-O   ");
  EXPECT_EQ(Written(castles, "e1c1"), "O-O-O ");
  EXPECT_EQ(Written(castles, "a1a8"), "Ra1xa8");
  EXPECT_EQ(Written(castles, "e1f1"), "Ke1-f1");
  Position black = FromFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -");
  EXPECT_EQ(Written(black, "e8g8"), "O-O   ");
  EXPECT_EQ(Written(black, "e8c8"), "O-O-O ");
  Position ep = FromFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6");
  EXPECT_EQ(Written(ep, "e5d6"), "e5-d6 "); // en passant shows no capture mark
  Position promote = FromFen("3rk3/4P3/8/8/8/8/8/4K3 w - -");
  EXPECT_EQ(Written(promote, "e7d8"), "e7xd8=Q");
  EXPECT_EQ(Written(promote, "e7d8", Knight), "e7xd8=N");
  EXPECT_EQ(Written(promote, "e7d8", 0), "e7xd8=Q"); // an unanswered choice promotes to a queen
  Position blackPromote = FromFen("4k3/8/8/8/8/8/p7/4K3 b - -");
  EXPECT_EQ(Written(blackPromote, "a2a1", Rook), "a2-a1=R");
  EXPECT_EQ(Written(blackPromote, "a2a1", Bishop), "a2-a1=B");
}

TEST_F(MoveText, PieceLetters) {
  EXPECT_EQ(PieceFromLetter('p', false), Pawn);
  EXPECT_EQ(PieceFromLetter('K', false), King);
  EXPECT_EQ(PieceFromLetter('N', false), Knight);
  EXPECT_EQ(PieceFromLetter('B', false), Bishop);
  EXPECT_EQ(PieceFromLetter('R', false), Rook);
  EXPECT_EQ(PieceFromLetter('Q', false), Queen);
  for (char c : {'n', 'b', 'r', 'q'}) {
    EXPECT_EQ(PieceFromLetter(c, false), 0) << c;
    EXPECT_NE(PieceFromLetter(c, true), 0) << c;
  }
  EXPECT_EQ(PieceFromLetter('b', true), Bishop);
  for (char c : {'P', 'k', 'x', 'e', '1', '\0'}) {
    EXPECT_EQ(PieceFromLetter(c, false), 0) << c;
    EXPECT_EQ(PieceFromLetter(c, true), 0) << c;
  }
}

TEST_F(MoveText, ParsedCoordinates) {
  Position start;
  SetStartPosition(start);
  auto parsed = [&](const char* text, const Position& p) { return ParseMoveText(text, p); };
  ParsedMove m = parsed("Nbd2", start);
  EXPECT_EQ((std::array{m.fromFile, m.fromRow, m.toFile, m.toRow, m.piece}), (std::array{1, -1, 3, 6, int(WhiteKnight)}));
  m = parsed("R1e2", start);
  EXPECT_EQ((std::array{m.fromFile, m.fromRow, m.toFile, m.toRow, m.piece}), (std::array{-1, 7, 4, 6, int(WhiteRook)}));
  m = parsed("e2e4", start);
  EXPECT_EQ((std::array{m.fromFile, m.fromRow, m.toFile, m.toRow, m.piece}), (std::array{4, 6, 4, 4, int(WhitePawn)}));
  m = parsed("bxc3", start);
  EXPECT_EQ((std::array{m.fromFile, m.fromRow, m.toFile, m.toRow, m.piece}), (std::array{1, -1, 2, 5, int(WhitePawn)}));
  m = parsed("Bxc3", start);
  EXPECT_EQ((std::array{m.fromFile, m.fromRow, m.toFile, m.toRow, m.piece}), (std::array{-1, -1, 2, 5, int(WhiteBishop)}));
  Position black = FromFen("4k3/8/8/8/8/8/8/4K3 b - -");
  EXPECT_EQ(parsed("Ke7", black).piece, BlackKing);
  EXPECT_EQ(parsed("e5", black).piece, BlackPawn);
  m = parsed("O-O-O", black);
  EXPECT_EQ((std::array{m.fromFile, m.fromRow, m.toFile, m.toRow}), (std::array{4, 0, 2, 0}));
}

TEST_F(MoveText, AllSpellingsOfAPawnMovePlayTheSameMove) {
  Position start;
  SetStartPosition(start);
  Position expected = start;
  test::Play(expected, "e2e4");
  for (const char* text : {"e2e4", "e2-e4", "e2xe4", "e4", "pe4", "e4+", "e4!?", "e2-e4 "}) {
    int accepted = 0;
    EXPECT_TRUE(Same(After(start, text, &accepted), expected)) << text;
    EXPECT_EQ(accepted, 1) << text;
  }
}

TEST_F(MoveText, CapturesByPawnAndByPiece) {
  Position p = FromFen("4k3/8/8/8/8/2p5/1P1B4/4K3 w - -");
  Position byPawn = p, byBishop = p;
  test::Play(byPawn, "b2c3");
  test::Play(byBishop, "d2c3");
  EXPECT_TRUE(Same(After(p, "bxc3"), byPawn));
  EXPECT_TRUE(Same(After(p, "Bxc3"), byBishop));
  EXPECT_TRUE(Same(After(p, "Bd2xc3"), byBishop));
  EXPECT_TRUE(Same(After(p, "Bc3#"), byBishop));
}

TEST_F(MoveText, PromotionSpellings) {
  Position p = FromFen("4k3/P7/8/8/8/8/8/4K3 w - -");
  auto promoted = [&](const char* text) {
    Position q = After(p, text);
    return int(q.board[A8]);
  };
  for (const char* text : {"a7a8q", "a8=Q", "a8Q", "a8=q", "a8", "a7-a8=Q+", "a8=K"}) EXPECT_EQ(promoted(text), WhiteQueen) << text;
  for (const char* text : {"a8=N", "a7a8n", "a8N"}) EXPECT_EQ(promoted(text), WhiteKnight) << text;
  for (const char* text : {"a8=R", "a7a8r"}) EXPECT_EQ(promoted(text), WhiteRook) << text;
  for (const char* text : {"a8=B", "a7a8b", "a8B"}) EXPECT_EQ(promoted(text), WhiteBishop) << text;
  Position black = FromFen("4k3/8/8/8/8/8/7p/4K3 b - -");
  Position q = After(black, "h1=N");
  EXPECT_EQ(q.board[H1], BlackKnight);
}

TEST_F(MoveText, CastlingSpellings) {
  Position p = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
  Position shortCastled = p, longCastled = p;
  test::Play(shortCastled, "e1g1");
  test::Play(longCastled, "e1c1");
  ASSERT_EQ(shortCastled.board[G1], WhiteKing);
  for (const char* text : {"O-O", "0-0", "o-o", "O-O+", "O-0", "e1g1", "Ke1-g1", "O-O   "})
    EXPECT_TRUE(Same(After(p, text), shortCastled)) << text;
  for (const char* text : {"O-O-O", "0-0-0", "o-o-o", "O-O-O#", "e1c1", "O-O-O "})
    EXPECT_TRUE(Same(After(p, text), longCastled)) << text;
  Position black = FromFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -");
  Position blackLong = black;
  test::Play(blackLong, "e8c8");
  EXPECT_TRUE(Same(After(black, "0-0-0"), blackLong));
  // Without the right nothing happens.
  Position noRights = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w - -");
  int accepted = 1;
  EXPECT_TRUE(Same(After(noRights, "O-O", &accepted), noRights));
  EXPECT_EQ(accepted, 0);
}

TEST_F(MoveText, DisambiguationAndTheLastInGenerationOrderRule) {
  // Knights on e1 and g1 both reach f3; FEN placement puts e1 in slot 8 and g1 in slot 9.
  Position p = FromFen("4k3/8/8/8/8/8/8/3KN1N1 w - -");
  Position fromG1 = p, fromE1 = p;
  test::Play(fromG1, "g1f3");
  test::Play(fromE1, "e1f3");
  EXPECT_TRUE(Same(After(p, "Ngf3"), fromG1));
  EXPECT_TRUE(Same(After(p, "Nef3"), fromE1));
  EXPECT_TRUE(Same(After(p, "Nf3"), fromG1)); // the later knight in generation order
  // The same rule picks the f1 knight here, which is placed after the b1 knight.
  Position s = FromFen("4k3/8/8/8/8/8/8/1N1K1N2 w - -"); // b1 (slot 8) and f1 (slot 9) both reach d2
  Position fromF1 = s, fromB1 = s;
  test::Play(fromF1, "f1d2");
  test::Play(fromB1, "b1d2");
  EXPECT_TRUE(Same(After(s, "Nd2"), fromF1));
  EXPECT_TRUE(Same(After(s, "Nbd2"), fromB1));
  // Rank disambiguation.
  Position rooks = FromFen("4k3/8/8/8/R7/8/8/R3K3 w - -");
  Position fromA1 = rooks;
  test::Play(fromA1, "a1a2");
  EXPECT_TRUE(Same(After(rooks, "R1a2"), fromA1));
}

TEST_F(MoveText, TextThatFitsNothingChangesNothing) {
  Position start;
  SetStartPosition(start);
  gamePosition = start;
  for (const char* text : {"e5", "Nf4", "Ke2", "O-O", "O-O-O", "e2e5", "a1a8", "Qd1d1", "1-0", "1/2-1/2", "*", "12",
                           "", "x", "-", "=Q", "P", "k", "Pe4", "z9", "h9", "i4"}) {
    int accepted = 1;
    Position q = start;
    accepted = PlayMoveText(text, q, 1, nullptr);
    EXPECT_EQ(accepted, 0) << text;
    EXPECT_TRUE(Same(q, start)) << text;
  }
  EXPECT_EQ(HistoryCount(), 0);
}

TEST_F(MoveText, HostileTextNeverHarms) {
  Position start;
  SetStartPosition(start);
  std::mt19937 random(7);
  std::string big(10 * 1024, 'e');
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>(random() & 0xFF));
  std::string withZero("e\0e4", 4);
  std::string digits(5000, '7');
  for (const std::string& text : {big, binary, withZero, digits, std::string(10000, 'O'), std::string("O-"),
                                  std::string("\xff\xfe\x80"), std::string(1, '\0')}) {
    Position q = start;
    EXPECT_EQ(PlayMoveText(text, q, 1, nullptr), 0);
    EXPECT_TRUE(Same(q, start));
  }
  for (int i = 0; i < 2000; ++i) {
    std::string text;
    int length = static_cast<int>(random() % 12);
    static const std::string alphabet = "abcdefgh12345678xX-=+#!?oO0NBRQKPpnbrqk \x01\xff";
    for (int k = 0; k < length; ++k) text.push_back(alphabet[random() % alphabet.size()]);
    Position q = start;
    if (PlayMoveText(text, q, 0, nullptr) == 0) {
      EXPECT_TRUE(Same(q, start)) << text;
    } else {
      EXPECT_EQ(q.plyCount, 2) << text;
      EXPECT_EQ(test::ConsistencyProblems(q), "") << text;
    }
  }
  EXPECT_EQ(HistoryCount(), 0);
}

TEST_F(MoveText, CastlingForASideWithoutItsKing) {
  Position p;
  ClearPosition(p);
  PlacePiece(p, 4, 0, BlackKing);
  PlacePiece(p, 0, 7, WhiteRook);
  PlacePiece(p, 7, 7, WhiteRook);
  const Position before = p;
  for (const char* text : {"O-O", "O-O-O", "0-0", "Ra1-a2", "Kb1"}) {
    Position q = p;
    EXPECT_EQ(PlayMoveText(text, q, 1, nullptr), 0) << text;
    EXPECT_TRUE(Same(q, before)) << text;
  }
  // A king standing on the edge files cannot castle off the board either.
  Position edge = FromFen("4k3/8/8/8/8/8/8/K6R w - -");
  Position q = edge;
  EXPECT_EQ(PlayMoveText("O-O-O", q, 0, nullptr), 0);
  EXPECT_EQ(PlayMoveText("O-O", q, 0, nullptr), 0);
  EXPECT_TRUE(Same(q, edge));
}

} // namespace
} // namespace kestrin
