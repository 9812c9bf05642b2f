// The window game's rules without a window: clocks, panel texts and dialog values.
#include <gtest/gtest.h>

#include "game/clocks.h"
#include "game/dialogvalues.h"
#include "game/paneltext.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

TEST(Clocks, RunningSideAndOverstepping) {
  // plies, White's and Black's used ms, running ms, minutes, increment; then the four texts.
  const struct { int plies, whiteUsed, blackUsed, runningMs, minutes, increment; const char* texts[4]; } cases[] = {
      {2, 1000, 700, 5000, 5, 5, {"4:50", "0:15", "4:58", "0:07"}},
      {4, 40000, 100, 0, 1, 0, {"0:00", "6:40", "0:59", "0:01"}}};
  for (const auto& c : cases) {
    const ClockFace f = ComputeClocks(c.plies, c.whiteUsed, c.blackUsed, c.runningMs, c.minutes, c.increment);
    const int seconds[4] = {f.whiteRemaining, f.whiteUsed, f.blackRemaining, f.blackUsed};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ClockText(seconds[i]), c.texts[i]) << "plies " << c.plies << " field " << i;
  }
}

TEST(PanelText, MaterialNamesAndDialogValues) {
  const struct { const char *fen, *material, *moveNumber; } cases[] = {
      {"4k3/pppp4/8/8/8/8/PP6/R3K3 w - - 0 1", "White:1R\nBlack:2p", "Move # 0"},
      {"4k3/8/8/8/8/8/8/Q3K2B b - - 0 1", "White:Q, 1B\nBlack:", "Move # 1"},
      {"4k3/8/8/8/8/8/4q3/3QK3 w - - 0 1", "White:\nBlack:", "Move # 0  CHECK!"}};
  for (const auto& c : cases) {
    const Position p = test::FromFen(c.fen);
    EXPECT_EQ(MaterialText(p), c.material) << c.fen;
    EXPECT_EQ(MoveNumberText(p), c.moveNumber) << c.fen;
  }
  const std::pair<const char*, long long> numbers[] = {{"", 0}, {"-4", -4}, {"99999999999999999999", 1000000000}};
  for (const auto& [text, value] : numbers) EXPECT_EQ(ParseDialogNumber(text), value) << text;
  // 18 two-byte letters are 36 bytes; the nineteenth would be split by the 37-byte limit.
  std::string accents;
  for (int i = 0; i < 20; ++i) accents += "\xc3\xa9";
  EXPECT_EQ(CleanPlayerName("Ann\n" + accents), "Ann" + accents.substr(0, 34));
}

} // namespace
} // namespace kestrin
