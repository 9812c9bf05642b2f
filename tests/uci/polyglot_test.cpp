// xboard driving the engine in UCI mode through polyglot against a second copy in xboard mode
// (Debian's Fairy-Max crashes at random on this machine), colours swapped
// between the two games: each game ends in a real result and replays legally.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

#include "support/fixtures.h"
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
  const std::string text = test::ReadFileBytes(scratch.Path("match.pgn"));
  const std::regex game("\\[White \"([^\"]*)\"\\][\\s\\S]*?\\[Result \"([^\"]*)\"\\][\\s\\S]*?\\n\\n([^\\[]*)");
  int games = 0;
  for (std::sregex_iterator it(text.begin(), text.end(), game), end; it != end; ++it, ++games) {
    EXPECT_EQ((*it)[1] == "Kestrin Chess 2.82", games == 0) << it->str();
    EXPECT_TRUE(std::regex_match((*it)[2].str(), std::regex("1-0|0-1|1/2-1/2"))) << it->str();
    for (const char* abnormal : {"forfeit", "llegal", "disconnect", "crash", "exit", "on time", "flag"})
      EXPECT_EQ(it->str().find(abnormal), std::string::npos) << abnormal << " in " << it->str();
    const std::regex noise("\\{[^}]*\\}|\\d+\\.+|1-0|0-1|1/2-1/2|\\*");
    std::istringstream moves(std::regex_replace((*it)[3].str(), noise, " "));
    Position board = test::FromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    int plies = 0;
    for (std::string san; moves >> san; ++plies) ASSERT_TRUE(test::PlaySan(board, san)) << san << " in " << it->str();
    EXPECT_GT(plies, 20);
  }
  EXPECT_EQ(games, 2);
}

} // namespace
} // namespace kestrin
