#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "board/keys.h"
#include "support/fixtures.h"
#include "support/legalmoves.h"

namespace kestrin {
namespace {

using test::FromFen;

TEST(HashKeys, KeptKeysEqualFromScratchKeysAlongRandomGames) {
  std::mt19937 random(20260611);
  int plies = 0;
  for (int game = 0; game < 300; ++game) {
    Position p;
    SetStartPosition(p);
    RefreshHashKeys(p);
    test::PlayedMove played;
    for (int ply = 0; ply < 250 && test::PlayRandomMove(p, random, played); ++ply, ++plies) {
      UpdateHashKeys(p, played.undo);
      const Position beforeNull = p;
      for (int null : {0, 1, 2}) { // the move, a null move after it, and the null move taken back
        ASSERT_TRUE(p.hashKey == ComputeHashKey(p) && p.hashLock == ComputeHashLock(p)) << test::ToFen(p) << null;
        if (null < 2) MakeNullMove(p);
      }
      ASSERT_EQ(std::memcmp(&p, &beforeNull, sizeof p), 0);
    }
  }
  EXPECT_GT(plies, 20000);
}

TEST(RepetitionKey, CastlingAndEnPassantChangeOnlyTheRepetitionKey) {
  // The first values of the fixed tables: book files hold keys made from them.
  EXPECT_EQ(HashKeyTable[0] ^ HashLockTable[8] ^ WhitePawnKeys[0] ^ BlackPawnKeys[0],
            0x0FAC1456u ^ 0x0770F9A3u ^ 0x0E523EC2u ^ 0xFB53E8E5u);
  const Position plain = FromFen("rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b - -");
  for (const char* fen : {"rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b - e3",
                          "rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq -"}) {
    const Position p = FromFen(fen);
    EXPECT_TRUE(ComputeHashKey(p) == ComputeHashKey(plain) && ComputeHashLock(p) == ComputeHashLock(plain)) << fen;
    EXPECT_NE(RepetitionKey(p), RepetitionKey(plain)) << fen;
  }
  // Castled (4) and no rights left (3) are one state.
  Position castled = plain;
  castled.castleState[0] = CastleDone;
  EXPECT_EQ(RepetitionKey(castled), RepetitionKey(plain));
}

TEST(RepetitionKey, CountsSameSideSlotsSinceTheLastIrreversibleMove) {
  ClearRepetitionKeys();
  const u32 key = 0xABCD1234;
  for (int ply = 1; ply <= 6; ++ply) StoreRepetitionKey(ply, key);
  for (int ply = 594; ply < RepetitionSlots; ++ply) StoreRepetitionKey(ply, key);
  StoreRepetitionKey(RepetitionSlots, key); // not kept: no slot
  const struct {
    u32 key;
    int plyCount, irreversiblePly, count;
  } cases[] = {
      {key, 7, 1, 3},     // slots 1, 3, 5
      {key, 7, 5, 1},     // slot 4 has the other side to move: from 5
      {key, 6, 1, 2},     // slots 2 and 4; slot 6 is the position itself
      {key, 602, 590, 3}, // 594, 596, 598: nothing is read beyond the list
  };
  for (const auto& c : cases)
    EXPECT_EQ(CountRepetitions(c.key, c.plyCount, c.irreversiblePly), c.count) << c.plyCount << " " << c.key;
  ClearRepetitionKeys();
}

} // namespace
} // namespace kestrin
