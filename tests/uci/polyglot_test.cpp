// xboard driving the engine in UCI mode through polyglot against a second copy in xboard mode
// (Debian's Fairy-Max crashes at random on this machine), colours swapped
// between the two games: each game ends in a real result and replays legally.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/san.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

TEST(PolyglotMatch, TwoGamesAgainstASecondCopyEndProperly) {
  for (const char* tool : {"/usr/games/xboard", "/usr/games/polyglot", "/usr/bin/xvfb-run"})
    ASSERT_TRUE(std::filesystem::exists(tool)) << tool << " is missing: install xboard, polyglot, xvfb";
  test::ScratchDirectory scratch;
  test::WriteFileBytes("kestrin.ini", "[PolyGlot]\nEngineCommand = " + std::string(KESTRIN_ENGINE) + " --home " +
                                          scratch.Path("home") + "\nEngineDir = .\nBook = false\n[Engine]\n");
  const std::string command = "timeout 600 xvfb-run -a /usr/games/xboard -fcp '/usr/games/polyglot kestrin.ini' -fd " +
                              scratch.path.string() + " -scp '" + std::string(KESTRIN_ENGINE) + " --home " +
                              scratch.Path("second") + "' -matchGames 2 -tc 0:15 -inc 0.1"
                              " -autoCallFlag true -popupExitMessage false -saveGameFile match.pgn > xboard.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << "xboard failed; see its log";
  // The UCI side plays under the name its "id name" line gives.
  test::CheckMatchGames(test::ReadFileBytes(scratch.Path("match.pgn")), "Kestrin Chess 2.82",
                        {"forfeit", "llegal", "disconnect", "crash", "exit", "on time", "flag"});
}

} // namespace
} // namespace kestrin
