#include <gtest/gtest.h>

#include <string>

#include "platform/settings.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

constexpr const char* FullFile = "Kasparov\n192.168.1.7\n10\n3\n28\n2200\n1\n0\n23\n1\n0\n0\n0\n";

class SettingsFile : public ::testing::Test {
protected:
  void SetUp() override { ResetSettings(); }
  void TearDown() override { ResetSettings(); }
  test::ScratchDirectory scratch;
};

TEST_F(SettingsFile, MissingFileKeepsDefaults) {
  ReadSettings();
  EXPECT_EQ(settings.playerName, "Human");
  EXPECT_EQ(settings.connectAddress, "127.0.0.1");
  EXPECT_EQ(settings.hashSizeExponent, 21);
  EXPECT_EQ(settings.showSearchInfo, 1);
}

TEST_F(SettingsFile, ReadsAllThirteenFieldsAndWritesThemBack) {
  test::WriteFileBytes(SettingsFileName, FullFile);
  ReadSettings();
  EXPECT_EQ(settings.playerName, "Kasparov");
  EXPECT_EQ(settings.connectAddress, "192.168.1.7");
  EXPECT_EQ(settings.gameMinutes, 10);
  EXPECT_EQ(settings.secondsPerMove, 3);
  EXPECT_EQ(settings.eloRating, 2200);
  EXPECT_EQ(settings.ponderEnabled, 1);
  EXPECT_EQ(settings.showSearchInfo, 0);
  EXPECT_EQ(settings.hashSizeExponent, 23);
  EXPECT_EQ(settings.highlightLastMove, 0);
  EXPECT_EQ(settings.whitePovEvals, 0);
  std::remove(SettingsFileName);
  ASSERT_TRUE(WriteSettings());
  EXPECT_EQ(test::ReadFileBytes(SettingsFileName), FullFile);
}

TEST_F(SettingsFile, WindowsLineEndsReadAsPlainOnes) {
  test::WriteFileBytes(SettingsFileName, "Anna Lee\r\n10.0.0.1\r\n7\r\n3\r\n");
  ReadSettings();
  EXPECT_EQ(settings.playerName, "Anna Lee");
  EXPECT_EQ(settings.connectAddress, "10.0.0.1");
  EXPECT_EQ(settings.gameMinutes, 7);
  EXPECT_EQ(settings.secondsPerMove, 3);
}

TEST_F(SettingsFile, ShortFileLeavesTheRestAtDefaults) {
  test::WriteFileBytes(SettingsFileName, "Anna\n10.0.0.1\n");
  ReadSettings();
  EXPECT_EQ(settings.playerName, "Anna");
  EXPECT_EQ(settings.connectAddress, "10.0.0.1");
  EXPECT_EQ(settings.gameMinutes, 5);
  EXPECT_EQ(settings.hashSizeExponent, 21);
  test::WriteFileBytes(SettingsFileName, "Anna\n10.0.0.1\n7\n");
  ReadSettings();
  EXPECT_EQ(settings.gameMinutes, 7);
  EXPECT_EQ(settings.secondsPerMove, 5);
}

TEST_F(SettingsFile, LongNameIsCutAndTheRestIsReadAsTheAddress) {
  const std::string name(45, 'n');
  test::WriteFileBytes(SettingsFileName, name + "\n1.2.3.4\n9\n");
  ReadSettings();
  EXPECT_EQ(settings.playerName, std::string(37, 'n'));
  EXPECT_EQ(settings.connectAddress, std::string(7, 'n')); // the line's rest, its feed removed
}

TEST_F(SettingsFile, NothingInTheFileCanMakeTheProgramMisbehave) {
  test::WriteFileBytes(SettingsFileName, "x\ny\n-5\n-1\n28\n-70\n7\n9\n99\n1\n5\n-3\n0\n");
  ReadSettings();
  EXPECT_EQ(settings.hashSizeExponent, 21); // 99 would ask for 2^98 bytes
  EXPECT_EQ(settings.gameMinutes, 5);
  EXPECT_EQ(settings.secondsPerMove, 5);
  EXPECT_EQ(settings.eloRating, 0);
  EXPECT_EQ(settings.ponderEnabled, 0);
  EXPECT_EQ(settings.showSearchInfo, 1);
  EXPECT_EQ(settings.highlightLastMove, 1);
  EXPECT_EQ(settings.whitePovEvals, 1);
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  test::WriteFileBytes(SettingsFileName, garbage);
  ReadSettings();
  EXPECT_GE(settings.hashSizeExponent, 19);
  EXPECT_LE(settings.hashSizeExponent, 24);
  EXPECT_LE(settings.playerName.size(), 37u);
}

} // namespace
} // namespace kestrin
