// The window game's rules without a window: dialog values and the side panel's texts.
#include <gtest/gtest.h>

#include <string>

#include "game/dialogvalues.h"
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

} // namespace
} // namespace kestrin
