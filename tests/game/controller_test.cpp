// The dialogs' values without a window: numbers typed and player names cut to the file's limit.
#include <gtest/gtest.h>

#include <string>

#include "game/dialogvalues.h"

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

} // namespace
} // namespace kestrin
