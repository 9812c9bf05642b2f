// The window game's rules without a window: dialog values, the side panel's texts and the
// fifty-move end as the window tells it (the window's game end test plays the other ends).
#include <gtest/gtest.h>

#include <string>

#include "board/gameend.h"
#include "game/dialogvalues.h"
#include "game/gameresult.h"
#include "game/paneltext.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

TEST(DialogValues, NumbersAndNames) {
  const std::pair<const char*, long long> numbers[] = {{"", 0}, {"-4", -4}, {"99999999999999999999", 1000000000}};
  for (const auto& [text, value] : numbers) EXPECT_EQ(ParseDialogNumber(text), value) << text;
  // 18 two-byte letters are 36 bytes; the nineteenth would be split by the 37-byte limit.
  std::string accents;
  for (int i = 0; i < 20; ++i) accents += "\xc3\xa9";
  EXPECT_EQ(CleanPlayerName("Ann\n" + accents), "Ann" + accents.substr(0, 34));
}

TEST(PanelText, MaterialAndMoveNumber) {
  const struct { const char *fen, *material, *moveNumber; } cases[] = {
      {"4k3/pppp4/8/8/8/8/PP6/R3K3 w - - 0 1", "White:1R\nBlack:2p", "Move # 0"},
      {"4k3/8/8/8/8/8/8/Q3K2B b - - 0 1", "White:Q, 1B\nBlack:", "Move # 1"},
      {"4k3/8/8/8/8/8/4q3/3QK3 w - - 0 1", "White:\nBlack:", "Move # 0  CHECK!"}};
  for (const auto& c : cases) {
    const Position p = test::FromFen(c.fen);
    EXPECT_EQ(MaterialText(p), c.material) << c.fen;
    EXPECT_EQ(MoveNumberText(p), c.moveNumber) << c.fen;
  }
}

// The hundredth ply without a capture or a pawn move ends the game, the ninety-ninth does not.
TEST(GameResult, FiftyMovesEndTheGame) {
  Position p = test::FromFen("r3k2r/8/8/p1p1p1p1/P1P1P1P1/8/8/R3K2R w - - 0 1");
  p.plyCount = p.irreversiblePly + 99;
  EXPECT_EQ(EndShownBy(p).result, GameInProgress);
  ++p.plyCount;
  EXPECT_EQ(ResultLine(EndShownBy(p)), "1/2-1/2  Draw by fifty moves");
}

} // namespace
} // namespace kestrin
