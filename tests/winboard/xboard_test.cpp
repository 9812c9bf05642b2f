// xboard in match mode against a second copy of the engine, colours swapped between the two
// games; every move of its saved games must replay legally and each game must end in a real
// result. (Debian's Fairy-Max 5.0b crashes at random on this machine's first moves, which left
// xboard spinning, so the opponent is one whose behaviour is known.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

#include "board/position.h"
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
  const std::string text = test::ReadFileBytes(scratch.Path("match.pgn"));
  const std::regex noise("\\[[^\\]]*\\]|\\{[^}]*\\}|\\d+\\.+|1-0|0-1|1/2-1/2|\\*");
  int games = 0;
  for (std::size_t at = text.find("[Event "); at != std::string::npos; ++games) {
    const std::size_t end = text.find("[Event ", at + 1);
    const std::string game = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end;
    EXPECT_NE(game.find((games == 0 ? "[White \"" : "[Black \"") + std::string("KestrinChess")), std::string::npos) << game;
    EXPECT_TRUE(std::regex_search(game, std::regex("\\[Result \"(1-0|0-1|1/2-1/2)\"\\]"))) << game;
    for (const char* abnormal : {"forfeit", "llegal", "disconnect", "crash", "exit"})
      EXPECT_EQ(game.find(abnormal), std::string::npos) << abnormal << " in " << game;
    Position board;
    SetStartPosition(board);
    std::istringstream moves(std::regex_replace(game, noise, " "));
    int plies = 0;
    for (std::string san; moves >> san; ++plies) ASSERT_TRUE(test::PlaySan(board, san)) << san << " in " << game;
    EXPECT_GT(plies, 20);
  }
  EXPECT_EQ(games, 2);
}

} // namespace
} // namespace kestrin
