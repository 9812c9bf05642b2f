// Replacing writes (settings, books, saved games) honour what stood there.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "platform/safewrite.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(ReplacingWrite, HonoursWhatStoodThere) {
  test::ScratchDirectory dir;
  fs::create_directory("sub");
  for (const char* name : {"plain", "sub/real", "readonly"}) WriteFileBytes(name, "old");
  fs::permissions("plain", fs::perms(0640));
  fs::permissions("readonly", fs::perms(0444));
  fs::create_symlink("sub/real", "link");
  fs::create_symlink("later", "dangling");
  fs::create_directory("folder");
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  // A read-only file, a folder and a pipe are not replaced.
  const std::pair<const char*, bool> writes[] = {{"fresh", true},     {"plain", true},  {"link", true}, {"dangling", true},
                                                 {"readonly", false}, {"folder", false}, {"pipe", false}};
  for (auto [name, replaced] : writes) EXPECT_EQ(WriteFileReplacing(name, "new", 3), replaced) << name;
  for (const char* name : {"fresh", "plain", "sub/real", "later"}) EXPECT_EQ(ReadFileBytes(name), "new") << name;
  EXPECT_EQ(ReadFileBytes("readonly"), "old");
  // Links stay links, the file keeps its permissions, nothing temporary is left behind.
  EXPECT_TRUE(fs::is_symlink("link") && fs::is_symlink("dangling") && fs::is_fifo("pipe"));
  EXPECT_EQ(fs::status("plain").permissions(), fs::perms(0640));
  for (const auto& entry : fs::recursive_directory_iterator("."))
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

} // namespace
} // namespace kestrin
