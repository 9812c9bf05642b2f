#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "board/randomkeys.h"
#include "board/tables.h"
#include "search/keys.h"
#include "support/fixtures.h"
#include "support/legalmoves.h"

namespace kestrin {
namespace {

using test::FromFen;

TEST(HashKeys, IncrementalKeysFollowFromScratchKeysAlongRandomGames) {
  std::mt19937 random(20260611);
  int castlings = 0, enPassants = 0, promotions = 0, nullMoves = 0;
  for (int game = 0; game < 300; ++game) {
    Position p;
    SetStartPosition(p);
    RefreshHashKeys(p);
    for (int ply = 0; ply < 250; ++ply) {
      Position before = p;
      test::PlayedMove played;
      if (!test::PlayRandomMove(p, random, played)) break;
      UpdateHashKeys(p, played.undo);
      ASSERT_EQ(p.hashKey, ComputeHashKey(p)) << "game " << game << " ply " << ply;
      ASSERT_EQ(p.hashLock, ComputeHashLock(p)) << "game " << game << " ply " << ply;
      castlings += IsCastling(played.move);
      enPassants += (played.undo.squares >> 16 & 0xFF) != 0 && !IsCastling(played.move);
      if (!IsCastling(played.move)) {
        int rank = RankOf[MoveTo(played.move)];
        promotions += (before.board[MoveFrom(played.move)] & 7) == Pawn && (rank == 1 || rank == 8);
      }
      if (ply % 7 == 3) {
        Position beforeNull = p;
        MakeNullMove(p);
        ++nullMoves;
        ASSERT_EQ(p.hashKey, ComputeHashKey(p));
        ASSERT_EQ(p.hashLock, ComputeHashLock(p));
        MakeNullMove(p);
        ASSERT_EQ(0, std::memcmp(&p, &beforeNull, sizeof p));
      }
    }
  }
  // The walk must have met the moves that touch more than two squares or change the man.
  EXPECT_GT(castlings, 0);
  EXPECT_GT(enPassants, 0);
  EXPECT_GT(promotions, 0);
  EXPECT_GT(nullMoves, 0);
}

TEST(HashKeys, TheSideToMoveIsPartOfBothKeys) {
  Position white = FromFen("4k3/8/8/8/8/8/8/4K2R w K -");
  Position black = FromFen("4k3/8/8/8/8/8/8/4K2R b K -");
  EXPECT_EQ(ComputeHashKey(white) ^ ComputeHashKey(black), HashKeyTable[8]);
  EXPECT_EQ(ComputeHashLock(white) ^ ComputeHashLock(black), HashLockTable[8]);
}

TEST(RepetitionKey, CastledAndNoRightsShareAKeyWhileOtherCastlingStatesDiffer) {
  Position p = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w - -");
  auto keyWith = [&](int whiteState, int blackState) {
    Position q = p;
    q.castleState[0] = static_cast<u8>(whiteState);
    q.castleState[1] = static_cast<u8>(blackState);
    return RepetitionKey(q);
  };
  for (int other = 0; other <= 4; ++other) {
    EXPECT_EQ(keyWith(3, other), keyWith(4, other));
    EXPECT_EQ(keyWith(other, 3), keyWith(other, 4));
  }
  EXPECT_EQ(keyWith(3, 3), keyWith(4, 4));
  for (int a = 0; a <= 3; ++a) {
    for (int b = 0; b <= 3; ++b) {
      if (a != b) {
        EXPECT_NE(keyWith(a, 0), keyWith(b, 0)) << a << " " << b;
      }
    }
  }
}

TEST(RepetitionKey, CastlingAndEnPassantChangeOnlyTheRepetitionKey) {
  Position plain = FromFen("rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b - -");
  Position withEp = FromFen("rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b - e3");
  Position withRights = FromFen("rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq -");
  ASSERT_EQ(withEp.epSquare, SquareAt(4, 3));
  for (const Position* q : {&withEp, &withRights}) {
    EXPECT_EQ(ComputeHashKey(*q), ComputeHashKey(plain));
    EXPECT_EQ(ComputeHashLock(*q), ComputeHashLock(plain));
    EXPECT_NE(RepetitionKey(*q), RepetitionKey(plain));
  }
}

class RepetitionCounting : public ::testing::Test {
protected:
  void SetUp() override { ClearRepetitionKeys(); }
  void TearDown() override { ClearRepetitionKeys(); }
};

TEST_F(RepetitionCounting, KnightsOutAndBackRepeatTheStartPosition) {
  Position p;
  SetStartPosition(p);
  RecordRepetitionKey(p);
  EXPECT_EQ(RepetitionCount(p), 0);
  const char* dance[4][2] = {{"g1", "f3"}, {"g8", "f6"}, {"f3", "g1"}, {"f6", "g8"}};
  for (int round = 1; round <= 2; ++round) {
    for (auto& step : dance) {
      Move found = 0;
      for (Move m : test::LegalMoves(p))
        if (test::SquareName(MoveFrom(m)) == step[0] && test::SquareName(MoveTo(m)) == step[1]) found = m;
      ASSERT_NE(found, 0u);
      RecordRepetitionKey(p);
      MoveUndo undo;
      MakeMove(p, found, undo, Queen);
    }
    EXPECT_EQ(RepetitionCount(p), round) << "after " << 4 * round << " plies";
  }
}

TEST_F(RepetitionCounting, CountsOnlySameSideSlotsSinceTheLastIrreversibleMove) {
  const u32 key = 0xABCD1234;
  for (int ply = 1; ply <= 6; ++ply) StoreRepetitionKey(ply, key);
  // Position at ply 7: same-side slots are the odd ones below 7.
  EXPECT_EQ(CountRepetitions(key, 7, 1), 3); // slots 1, 3, 5
  EXPECT_EQ(CountRepetitions(key, 7, 4), 2); // from slot 3
  EXPECT_EQ(CountRepetitions(key, 7, 5), 1); // slot 4 has the other side to move: from 5
  EXPECT_EQ(CountRepetitions(key, 7, 7), 0); // start at 6, moved to 7: nothing below 7
  EXPECT_EQ(CountRepetitions(key, 6, 1), 2); // slots 2, 4; slot 6 is the position itself
  EXPECT_EQ(CountRepetitions(key ^ 1, 7, 1), 0);
}

TEST_F(RepetitionCounting, KeysBeyondTheLastSlotAreNeitherKeptNorRead) {
  Position p = FromFen("4k3/8/8/8/8/8/8/4K3 w - -");
  u32 key = RepetitionKey(p);
  for (int ply = 594; ply < RepetitionSlots; ++ply) StoreRepetitionKey(ply, key);
  p.plyCount = 600;
  RecordRepetitionKey(p); // not kept, and no write past the list
  EXPECT_EQ(RepetitionKeyAt(600), 0u);
  p.plyCount = 602;
  p.irreversiblePly = 590;
  EXPECT_EQ(RepetitionCount(p), 3); // 594, 596, 598
}

} // namespace
} // namespace kestrin
