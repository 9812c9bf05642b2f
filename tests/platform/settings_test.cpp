// The settings file "Kchess.dft": thirteen lines read and written back, and files a user or an
// editor may leave there.
#include <gtest/gtest.h>

#include <string>

#include "platform/settings.h"
#include "search/limits.h"
#include "search/output.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

TEST(SettingsFile, ReadWrittenBackAndKeptSane) {
  ResetSettings();
  test::ScratchDirectory scratch;
  ReadSettings();
  EXPECT_EQ(settings.playerName, "Human") << "a missing file keeps the defaults";
  const char* full = "Kasparov\n192.168.1.7\n10\n3\n28\n2200\n1\n0\n23\n1\n0\n0\n0\n";
  test::WriteFileBytes(SettingsFileName, full);
  ReadSettings();
  const int numbers[] = {settings.gameMinutes,    settings.secondsPerMove,    settings.reservedPly, settings.eloRating,
                         settings.ponderEnabled,  settings.showSearchInfo,    settings.hashSizeExponent,
                         settings.reservedFlag,   settings.highlightLastMove, settings.whitePovEvals, settings.reservedZero};
  EXPECT_EQ(settings.playerName + "|" + settings.connectAddress, "Kasparov|192.168.1.7");
  EXPECT_EQ(std::vector<int>(std::begin(numbers), std::end(numbers)),
            (std::vector<int>{10, 3, 28, 2200, 1, 0, 23, 1, 0, 0, 0}));
  std::remove(SettingsFileName);
  ASSERT_TRUE(WriteSettings());
  EXPECT_EQ(test::ReadFileBytes(SettingsFileName), full);
  // Put in force: time control, pondering, search information, table size, point of view.
  ApplySettings();
  EXPECT_EQ((std::vector<int>{searchSettings.timeMinutes, searchSettings.timeIncrement, searchSettings.ponderEnabled,
                              searchSettings.showSearchInfo, searchSettings.hashSizeExponent, EvalsFromWhitePov}),
            (std::vector<int>{10, 3, 1, 0, 23, 0}));
  ResetSearchSettings();
  EvalsFromWhitePov = 1;

  // A short file, Windows line ends, a name too long (its rest is read as the address),
  // values no menu offers, and noise.
  const std::pair<std::string, std::string> cases[] = {
      {"Anna\n10.0.0.1\n7\n", "Anna|10.0.0.1|7|5|21"},
      {"Anna Lee\r\n10.0.0.1\r\n7\r\n3\r\n", "Anna Lee|10.0.0.1|7|3|21"},
      {std::string(45, 'n') + "\n1.2.3.4\n9\n", std::string(37, 'n') + "|" + std::string(7, 'n') + "|1|5|21"},
      {"x\ny\n-5\n-1\n28\n-70\n7\n9\n99\n1\n5\n-3\n0\n", "x|y|5|5|21"}};
  for (const auto& [text, read] : cases) {
    ResetSettings();
    test::WriteFileBytes(SettingsFileName, text);
    ReadSettings();
    EXPECT_EQ(settings.playerName + "|" + settings.connectAddress + "|" + std::to_string(settings.gameMinutes) + "|" +
                  std::to_string(settings.secondsPerMove) + "|" + std::to_string(settings.hashSizeExponent), read) << text;
    EXPECT_TRUE(settings.eloRating >= 0 && settings.ponderEnabled == 0 && settings.whitePovEvals == 1) << text;
  }
  std::string garbage;
  for (int i = 0; i < 4000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  test::WriteFileBytes(SettingsFileName, garbage);
  ReadSettings();
  EXPECT_TRUE(settings.hashSizeExponent >= 19 && settings.hashSizeExponent <= 24 && settings.playerName.size() <= 37);
  ResetSettings();
}

} // namespace
} // namespace kestrin
