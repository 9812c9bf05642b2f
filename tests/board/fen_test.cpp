#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "board/attacks.h"
#include "board/movegen.h"
#include "notation/fen.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

bool Read(const std::string& text, Position& out) { return ReadFen(text.data(), text.size(), out); }

TEST(FenReading, AcceptedPositions) {
  Position p;
  ASSERT_TRUE(Read("8/8/8/8/8/8/8/K6k w - -", p));
  EXPECT_EQ(p.sideToMove, White);
  EXPECT_EQ(p.castleState[0], CastleNone);
  EXPECT_EQ(p.castleState[1], CastleNone);
  EXPECT_EQ(p.plyCount, 1);
  ASSERT_TRUE(Read("8/8/8/8/8/8/8/K6k b - -", p));
  EXPECT_EQ(p.sideToMove, Black);
  EXPECT_EQ(p.plyCount, 2);
  ASSERT_TRUE(Read("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", p));
  EXPECT_EQ(p.castleState[0], CastleBoth);
  EXPECT_EQ(p.castleState[1], CastleBoth);
  ASSERT_TRUE(Read("r3k2r/8/8/8/8/8/8/R3K2R w Kq -", p));
  EXPECT_EQ(p.castleState[0], CastleKingSideOnly);
  EXPECT_EQ(p.castleState[1], CastleQueenSideOnly);
  EXPECT_EQ(test::ConsistencyProblems(p), "");
  // Without a terminating zero: the length bounds the read.
  const char text[] = {'4', 'k', '3', '/', '8', '/', '8', '/', '8', '/', '8', '/', '8', '/', '8', '/', '4', 'K', '3', ' ', 'w'};
  EXPECT_TRUE(ReadFen(text, sizeof text, p));
  EXPECT_FALSE(ReadFen(text, sizeof text - 1, p));
}

TEST(FenReading, RefusedPositions) {
  Position p;
  SetStartPosition(p);
  const Position before = p;
  const char* refused[] = {
      "",
      "8/8/8/8/8/8/8/K5k w - -",            // one square short
      "8/8/8/8/8/8/8/K6K w - -",            // no black king
      "8/8/8/8/8/8/8/K6k",                  // no side
      "8/8/8/8/8/8/8/K6k x - -",            // no side letter
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN w KQkq -", // short board completed by K, then no side
  };
  for (const char* text : refused) {
    EXPECT_FALSE(Read(text, p)) << text;
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0) << text;
  }
}

TEST(FenReading, BoardWalkRules) {
  Position p;
  // A digit may carry the walk past 64; nine kings of one colour keep only the first.
  ASSERT_TRUE(Read("KKKKKKKK/k7/8/8/8/8/8/78 w - -", p));
  EXPECT_EQ(p.whitePieceList[KingSlot], A8);
  EXPECT_EQ(p.board[B8], Empty);
  // A "/" in mid-row skips the rest of the row; stray characters are skipped.
  ASSERT_TRUE(Read("k/8/8/8/8/8/8/7K w - -", p));
  EXPECT_EQ(p.board[A8], BlackKing);
  ASSERT_TRUE(Read("k7/8/8/8/8/8/8/7K / ... w - -", p));
  // Surplus men are dropped: a third rook, a ninth pawn.
  ASSERT_TRUE(Read("k7/8/8/8/8/RRR5/PPPPPPPP/P6K w - -", p));
  EXPECT_EQ(p.board[SquareAt(2, 3)], Empty);
  EXPECT_EQ(p.board[A1], Empty);
  EXPECT_EQ(p.whitePawns, 8);
  EXPECT_EQ(test::ConsistencyProblems(p), "");
  // Pawns on the last rank are not refused; the position stays consistent.
  ASSERT_TRUE(Read("P6k/8/8/8/8/8/8/p6K w - -", p));
  EXPECT_EQ(test::ConsistencyProblems(p), "");
}

TEST(FenReading, EnPassantField) {
  Position p;
  ASSERT_TRUE(Read("4k3/8/8/3pP3/8/8/8/4K3 w - d6", p));
  EXPECT_EQ(p.epSquare, SquareAt(3, 6));
  // A capture onto it is generated.
  EXPECT_NE(test::FindMove(p, "e5d6"), 0u);
  ASSERT_TRUE(Read("4k3/8/8/8/2Pp4/8/8/4K3 b - c3 0 1", p));
  EXPECT_EQ(p.epSquare, SquareAt(2, 3));
  // No pawn of the side to move beside it, the wrong rank, no double-stepped pawn, malformed: ignored.
  for (const char* text : {"4k3/8/8/3p4/8/8/8/4K3 w - d6", "4k3/8/8/3pP3/8/8/8/4K3 w - d3",
                           "4k3/8/8/4P3/8/8/8/4K3 w - d6", "4k3/8/8/3pP3/8/8/8/4K3 w - d", "4k3/8/8/3pP3/8/8/8/4K3 w - z9",
                           "4k3/8/3p4/3pP3/8/8/8/4K3 w - d6"}) {
    ASSERT_TRUE(Read(text, p)) << text;
    EXPECT_EQ(p.epSquare, NoEpSquare) << text;
  }
  // A b-file en-passant square is not taken for the side to move.
  ASSERT_TRUE(Read("4k3/8/8/8/pP6/8/8/4K3 b - b3", p));
  EXPECT_EQ(p.sideToMove, Black);
  EXPECT_EQ(p.epSquare, SquareAt(1, 3));
  ASSERT_TRUE(Read("4k3/8/8/1pP5/8/8/8/4K3 w KQkq b6", p));
  EXPECT_EQ(p.sideToMove, White);
  EXPECT_EQ(p.plyCount, 1);
}

TEST(FenWriting, FieldsAndRoundTrip) {
  Position p;
  SetStartPosition(p);
  test::Play(p, "e2e4");
  EXPECT_EQ(test::ToFen(p), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -");
  Position q = test::FromFen("8/8/8/8/8/8/8/K6k w - -");
  q.castleState[0] = CastleNone;
  q.castleState[1] = CastleDone;
  EXPECT_EQ(test::ToFen(q), "8/8/8/8/8/8/8/K6k w - -");
  q.castleState[0] = CastleBoth;
  q.castleState[1] = CastleNone;
  EXPECT_EQ(test::ToFen(q), "8/8/8/8/8/8/8/K6k w KQ -");
  q.castleState[0] = CastleDone;
  q.castleState[1] = CastleQueenSideOnly;
  EXPECT_EQ(test::ToFen(q), "8/8/8/8/8/8/8/K6k w q -");

  // Positions from random games read back to the same board, side and castling codes.
  std::mt19937 random(7);
  for (int game = 0; game < 50; ++game) {
    SetStartPosition(p);
    for (int ply = 0; ply < 80; ++ply) {
      Position back;
      std::string fen = test::ToFen(p);
      ASSERT_TRUE(Read(fen, back)) << fen;
      ASSERT_EQ(std::memcmp(back.board, p.board, BoardSize), 0) << fen;
      ASSERT_EQ(back.sideToMove, p.sideToMove);
      ASSERT_EQ(back.castleState[0] > 2 ? 3 : back.castleState[0], p.castleState[0] > 2 ? 3 : p.castleState[0]);
      ASSERT_EQ(back.castleState[1] > 2 ? 3 : back.castleState[1], p.castleState[1] > 2 ? 3 : p.castleState[1]);
      ASSERT_EQ(test::ToFen(back), fen);
      MoveList list;
      GenerateMoves(p.sideToMove, p, list);
      std::vector<std::string> moves = test::MoveTexts(list), legal;
      for (const std::string& m : moves) {
        Position c = p;
        test::Play(c, m);
        if (!IsInCheck(p.sideToMove, c)) legal.push_back(m);
      }
      if (legal.empty()) break;
      test::Play(p, legal[random() % legal.size()]);
    }
  }
}

TEST(FenReading, HostileTextNeverCrashes) {
  Position p;
  EXPECT_FALSE(Read(std::string(10240, 'p'), p));
  EXPECT_TRUE(Read("4k3/8/8/8/8/8/8/4K3 w - - " + std::string(10240, ' ') + "x", p));
  // Valid texts with random bytes overwritten: whatever is accepted must be a consistent position.
  const std::string seeds[] = {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                               "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                               "QQQQQQQQ/QqQqQqQq/8/8/8/8/K7/7k b - -"};
  const std::string alphabet = "pnbrqkPNBRQK123456789/ -wbKQkqabcdefgh0\x01\xff";
  std::mt19937 random(11);
  int accepted = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string text = seeds[i % 3];
    for (int k = random() % 6; k >= 0; --k) text[random() % text.size()] = alphabet[random() % alphabet.size()];
    if (random() % 4 == 0) text.resize(random() % text.size());
    if (!Read(text, p)) continue;
    ++accepted;
    ASSERT_EQ(test::ConsistencyProblems(p), "") << text;
    char buffer[FenBufferSize];
    ASSERT_LT(PositionToFen(buffer, p), int(FenBufferSize));
    MoveList list;
    GenerateMoves(p.sideToMove, p, list);
  }
  EXPECT_GT(accepted, 1000);
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += char(random());
  EXPECT_FALSE(Read(binary, p) && test::ConsistencyProblems(p) != "");
}

} // namespace
} // namespace kestrin
