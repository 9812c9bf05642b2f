// The UCI command readers in-process: the position command with its moves, and scores.
#include <gtest/gtest.h>

#include "support/fixtures.h"
#include "support/gamereset.h"
#include "notation/history.h"
#include "uci/options.h"
#include "uci/output.h"
#include "uci/position.h"

namespace kestrin {
namespace {

// The position a command sets up, and the first move refused ("" none, "fen" the FEN).
TEST(Commands, PositionAndMoveText) {
  const struct {
    const char* arguments;
    const char* fen;
    const char* refused;
  } cases[] = {
      {"startpos moves e2e4 e7e5 g1f3", "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -", ""},
      {"fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves e1g1 e8c8", "2kr3r/8/8/8/8/8/8/R4RK1 w - -", ""},
      {"fen 8/P6k/8/8/8/8/8/K7 w - - 0 1 moves a7a8n", "N7/7k/8/8/8/8/8/K7 b - -", ""},
      {"fen 8/P6k/8/8/8/8/8/K7 w - - 0 1 moves a7a8 h7g7", "8/P6k/8/8/8/8/8/K7 w - -", "a7a8"},
      {"startpos moves e2e4 a7a6 e4e5 d7d5 e5d6", "rnbqkbnr/1pp1pppp/p2P4/8/8/8/PPPP1PPP/RNBQKBNR b KQkq -", ""},
      {"startpos moves e2e4q", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "e2e4q"},
      {"startpos moves e2e4 e7e5 e1g1 g1f3", "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -", "e1g1"},
      {"startpos moves e2e4 e7e5 E2E4", "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -", "E2E4"},
      {"fen 8/8/8/8/8/8/8/8 w - - moves e2e4", "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -", "fen"},
  };
  for (const auto& c : cases) {
    test::ResetGame();
    const SetUpOutcome outcome = SetUpPosition(ReadPositionCommand("startpos moves e2e4 e7e5"));
    EXPECT_TRUE(!outcome.fenRefused && outcome.illegalMove.empty());
    const SetUpOutcome result = SetUpPosition(ReadPositionCommand(c.arguments));
    EXPECT_EQ(result.fenRefused ? "fen" : result.illegalMove, c.refused) << c.arguments;
    EXPECT_EQ(test::ToFen(gamePosition), c.fen) << c.arguments;
  }
}

// Scores from White's point of view told from the side to move's: mate m plies ahead is 9999 - (m + 1).
TEST(Commands, ScoresAndTableSizes) {
  EXPECT_EQ(UciScore(35, Black), "cp -35");
  EXPECT_EQ(UciScore(9997, White), "mate 1");
  EXPECT_EQ(UciScore(9994, Black), "mate -2");
  EXPECT_EQ(UciScore(-9995, Black), "mate 2");
  EXPECT_EQ(UciScore(10000, Black), "cp 0"); // a drawn game's report
  EXPECT_EQ(HashExponentNearest(16), 20);    // 12 MB is nearer than 24
  EXPECT_EQ(HashExponentNearest(1 << 20), 24);
  EXPECT_EQ(HashExponentNearest(-5), 19);
}

} // namespace
} // namespace kestrin
