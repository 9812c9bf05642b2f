// xboard in match mode against a second copy of the engine, colours swapped between the two
// games; every move of its saved games must replay legally and each game must end in a real
// result. (Debian's Fairy-Max 5.0b crashes at random on this machine's first moves, which left
// xboard spinning, so the opponent is one whose behaviour is known.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/san.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

TEST(XboardMatch, TwoGamesAgainstASecondCopyEndProperly) {
  for (const char* tool : {"/usr/games/xboard", "/usr/bin/xvfb-run"})
    ASSERT_TRUE(std::filesystem::exists(tool)) << tool << " is missing: install xboard, xvfb and xauth";
  test::ScratchDirectory scratch;
  const std::string command = "timeout 600 xvfb-run -a /usr/games/xboard -fcp '" + std::string(KESTRIN_ENGINE) +
                              " --home " + scratch.path.string() +
                              "' -scp '" + std::string(KESTRIN_ENGINE) + " --home " + scratch.Path("second") +
                              "' -matchGames 2 -tc 0:15 -inc 0.1 -autoCallFlag true"
                              " -popupExitMessage false -saveGameFile match.pgn > xboard.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << "xboard failed; see its log";
  test::CheckMatchGames(test::ReadFileBytes(scratch.Path("match.pgn")), "KestrinChess",
                        {"forfeit", "llegal", "disconnect", "crash", "exit"});
}

} // namespace
} // namespace kestrin
