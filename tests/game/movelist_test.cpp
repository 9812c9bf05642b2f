// The move list's short algebraic texts, checked against the tests' own notation writer
// over random games and on the cases that need care; the result after the last move.
#include <gtest/gtest.h>

#include <random>

#include "board/gameend.h"
#include "game/movelist.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "notation/newgame.h"
#include "notation/transcript.h"
#include "support/fixtures.h"
#include "support/san.h"

namespace kestrin {
namespace {

// Plays `moves` (coordinates) on the main record from `fen`.
void PlayOnRecord(const std::string& fen, const std::vector<std::string>& moves) {
  const Position start = test::FromFen(fen);
  ResetGameRecord(&start);
  for (const std::string& move : moves) ASSERT_TRUE(PlayMoveText(move, gamePosition, 1, nullptr)) << move;
  RebuildTranscript(gamePosition.plyCount - 2);
}

TEST(MoveListSan, CasesThatNeedCare) {
  const struct { const char *fen, *move, *san; } cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", "O-O"},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", "O-O-O"},
      {"3k4/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8q", "e8=Q+"},
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "a1a8", "Ra8#"},
      {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "b1d2", "Nbd2"},
      {"4k3/R7/8/8/8/8/8/R3K3 w - - 0 1", "a1a4", "R1a4"},
      {"4k3/8/8/8/8/8/4K3/R6R w - - 0 1", "a1d1", "Rad1"},
  };
  for (const auto& c : cases) {
    PlayOnRecord(c.fen, {c.move});
    EXPECT_EQ(RecordSan().back(), c.san) << c.fen;
  }
}

TEST(MoveListSan, RandomGamesAgreeWithTheOracle) {
  std::mt19937 random(24);
  const Position start = test::FromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  for (int game = 0; game < 20; ++game) {
    const test::RandomGame played = test::PlayRandomGame(random, 120, start);
    PlayOnRecord("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", played.coordinates);
    EXPECT_EQ(RecordSan(), played.san) << "game " << game;
  }
}

TEST(MoveListSan, ShortLinesAndTheResultLine) {
  PlayOnRecord("6k1/5ppp/8/8/8/8/4P3/R5K1 w - - 0 1", {"e2e4", "g8h8", "a1a8"});
  gameState = WhiteWon;
  const MoveListView view = CurrentMoveList(true);
  ASSERT_EQ(view.lines.size(), 3u);
  EXPECT_EQ(view.lines[0], "1. e4       Kh8");
  EXPECT_EQ(view.lines[1], "2. Ra8#");
  EXPECT_EQ(view.lines[2], "1-0");
  gameState = GameInProgress;
}

} // namespace
} // namespace kestrin
