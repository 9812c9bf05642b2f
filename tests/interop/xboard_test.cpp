// xboard in match mode against Fairy-Max, colours swapped between the two games; every move
// of its saved games must replay legally and each game must end in a real result.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "board/position.h"
#include "support/san.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

struct SavedGame {
  std::string white, black, result, moves;
};

std::vector<SavedGame> ReadGames(const std::string& text) {
  std::vector<SavedGame> games;
  std::istringstream in(text);
  std::string line;
  SavedGame game;
  bool inMoves = false;
  auto tag = [](const std::string& l, const char* name) {
    std::string prefix = std::string("[") + name + " \"";
    return l.rfind(prefix, 0) == 0 ? l.substr(prefix.size(), l.rfind('"') - prefix.size()) : std::string();
  };
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      if (inMoves) {
        games.push_back(game);
        game = SavedGame();
        inMoves = false;
      }
      if (auto v = tag(line, "White"); !v.empty()) game.white = v;
      if (auto v = tag(line, "Black"); !v.empty()) game.black = v;
      if (auto v = tag(line, "Result"); !v.empty()) game.result = v;
    } else if (!line.empty()) {
      inMoves = true;
      game.moves += line + " ";
    }
  }
  if (inMoves) games.push_back(game);
  return games;
}

// The moves of a game's text: comments, move numbers and the result dropped.
std::vector<std::string> Moves(std::string text) {
  text = std::regex_replace(text, std::regex("\\{[^}]*\\}"), " ");
  std::vector<std::string> moves;
  std::istringstream in(text);
  std::string word;
  while (in >> word) {
    if (std::regex_match(word, std::regex("[0-9]+\\.+.*"))) word = word.substr(word.find_last_of('.') + 1);
    if (word.empty() || word == "1-0" || word == "0-1" || word == "1/2-1/2" || word == "*") continue;
    moves.push_back(word);
  }
  return moves;
}

TEST(XboardMatch, TwoGamesAgainstFairyMaxEndProperly) {
  for (const char* tool : {"/usr/games/xboard", "/usr/games/fairymax", "/usr/bin/xvfb-run"})
    ASSERT_TRUE(std::filesystem::exists(tool)) << tool << " is missing: install xboard, fairymax, xvfb and xauth";
  test::ScratchDirectory scratch;
  const std::string games = scratch.Path("match.pgn");
  const std::string command = "timeout 600 xvfb-run -a /usr/games/xboard -fcp '" + std::string(KESTRIN_ENGINE) +
                              " --home " + scratch.path.string() +
                              "' -scp /usr/games/fairymax -matchGames 2 -tc 0:15 -inc 0.1 -autoCallFlag true"
                              " -popupExitMessage false -saveGameFile " +
                              games + " > " + scratch.Path("xboard.log") + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << "xboard failed; see its log";
  const std::vector<SavedGame> saved = ReadGames(test::ReadFileBytes(games));
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(saved[0].white, "KestrinChess 2.82a ");
  EXPECT_EQ(saved[1].black, "KestrinChess 2.82a ");
  for (const SavedGame& game : saved) {
    EXPECT_TRUE(game.result == "1-0" || game.result == "0-1" || game.result == "1/2-1/2") << game.result;
    for (const char* abnormal : {"forfeit", "illegal", "Illegal", "disconnect", "crash", "exit"})
      EXPECT_EQ(game.moves.find(abnormal), std::string::npos) << abnormal << " in " << game.moves;
    Position board;
    SetStartPosition(board);
    const std::vector<std::string> moves = Moves(game.moves);
    EXPECT_GT(moves.size(), 10u);
    for (std::size_t i = 0; i < moves.size(); ++i)
      ASSERT_TRUE(test::PlaySan(board, moves[i])) << "move " << i + 1 << " " << moves[i] << " does not replay";
  }
}

} // namespace
} // namespace kestrin
