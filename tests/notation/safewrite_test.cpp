// Replacing writes (settings, books, saved games) keep what the old file was.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>

#include "notation/safewrite.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(ReplacingWrite, HonoursWhatStoodThere) {
  struct Case {
    const char* what;
    std::function<void()> make;   // what stands at "target" before
    bool replaced;
    std::function<void()> check;  // what must stand there after
  } const cases[] = {
      {"nothing", [] {}, true, [] { EXPECT_EQ(ReadFileBytes("target"), "new"); }},
      {"a file", [] { WriteFileBytes("target", "old"); }, true, [] { EXPECT_EQ(ReadFileBytes("target"), "new"); }},
      {"a file of mode 0640",
       [] {
         WriteFileBytes("target", "old");
         fs::permissions("target", fs::perms(0640));
       },
       true, [] { EXPECT_EQ(fs::status("target").permissions(), fs::perms(0640)); }},
      {"a link to a file in a folder",
       [] {
         fs::create_directory("sub");
         WriteFileBytes("sub/real", "old");
         fs::create_symlink("sub/real", "target");
       },
       true,
       [] {
         EXPECT_TRUE(fs::is_symlink("target"));
         EXPECT_EQ(ReadFileBytes("sub/real"), "new");
       }},
      {"a link to a file not made yet", [] { fs::create_symlink("later", "target"); }, true,
       [] {
         EXPECT_TRUE(fs::is_symlink("target"));
         EXPECT_EQ(ReadFileBytes("later"), "new");
       }},
      {"a read-only file",
       [] {
         WriteFileBytes("target", "old");
         fs::permissions("target", fs::perms(0444));
       },
       false, [] { EXPECT_EQ(ReadFileBytes("target"), "old"); }},
      {"a folder", [] { fs::create_directory("target"); }, false, [] { EXPECT_TRUE(fs::is_directory("target")); }},
      {"a pipe", [] { ASSERT_EQ(mkfifo("target", 0600), 0); }, false, [] { EXPECT_TRUE(fs::is_fifo("target")); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScratchDirectory dir;
    c.make();
    EXPECT_EQ(WriteFileReplacing("target", "new", 3), c.replaced);
    c.check();
    for (const auto& entry : fs::recursive_directory_iterator("."))
      EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << "left behind: " << entry.path();
  }
}

} // namespace
} // namespace kestrin
