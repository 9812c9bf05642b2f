// Scripted sessions with the engine program, fed line by line over a pipe as an interface talks.
#include <gtest/gtest.h>

#include <csignal>
#include <random>

#include "board/attacks.h"
#include "notation/fen.h"
#include "notation/movetext.h"
#include "support/engineprocess.h"
#include "support/fixtures.h"
#include "support/pgnextract.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

// A script (steps as test::RunScript reads them) where "@text" and "%text" check that the saved
// games hold text or not, "&a|b" that pgn-extract reads them as the games a and b (moves, then
// result); other lines are sent. Every move the engine sends must be legal in the game as the
// script has played it.
struct Script {
  const char* name;
  std::vector<std::string> lines;
};

void PrintTo(const Script& script, std::ostream* out) { *out << script.name; }

const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

const Script scripts[] = {
    {"Features",
     {"protover 2", "<feature myname=\"KestrinChess 2.82a \" name=1 setboard=1 ping=1 sigterm=0", "<feature done=1"}},
    {"ForceThenGo",
     {"new", "force", "e2e4", "e7e5", "!move ", "sd 3", "go", "ping 1", "<move ", "<pong 1", "b8c6", "<move "}},
    {"MoveNowAndCancel",
     {"new", "nopost", "post", "level 0 1000 0", "time 1000000", "otim 1000000", "go", "<#", "ping 7", "<move ",
      "<pong 7", "a7a6", "<#", "?", "<move ", "g8f6", "<#", "force", "!move ", "ping 8", "<pong 8"}},
    // A third rook, a game already over (no reply would leave the interface waiting), positions
    // refused: no move until a good one comes. Scores are the engine's, Black's here.
    {"SetboardMateAndRefusedPositions",
     {"new", "force", "setboard 1r5k/2r5/8/8/3P4/8/8/K6r w - - 0 1", "sd 3", "go", "<move Ka1-a2", "force",
      "setboard 7k/8/6K1/8/8/8/8/R7 w - - 0 1", "go", "<move Ra1-a8", "<1-0 {White Mates}", "go", "<1-0 {White Mates}",
      "setboard 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "go", "<1/2-1/2 {Draw by Stalemate}",
      "setboard 8/8/4k3/8/8/4K3/8/8 w - - 0 1", "go", "<1/2-1/2 {Draw by Insufficent Material to Mate}", "new", "force",
      "setboard this is no position", "<tellusererror Illegal position", "setboard 8/8/8/8/8/8/8/8 w - -",
      "setboard 4k3/8/8/8/8/8/8/4R2K w - -", "<tellusererror Illegal position", "sd 2", "go", "e2e4", "!move ",
      "post", "setboard 7K/8/6k1/8/8/8/8/r7 b - - 0 1", "go", "<1 9997 ", "<move Ra1-a8"}},
    {"UndoRemoveAndNopost",
     {"new", "nopost", "force", "e2e4", "e7e5", "g1f3", "undo", "remove", "sd 5", "go", "!#", "<move "}},
    // A game of one move is not kept; pgn-extract must read exactly the two others.
    {"ResultsSaved",
     {"new", "force", "e2e4", "result 1-0", "level 0 0:30 2", "new", "force", "e2e4", "e7e5", "g1f3",
      "result 1/2-1/2 {Draw agreed}", "!offer draw", "ping 2", "<pong 2", "@[TimeControl \"30+2\"]", "new", "force",
      "e2e4", "e7e5", "g1f3", "result 0-1 {White resigns}", "ping 4", "<pong 4", "&e2e4 e7e5 g1f3 1/2-1/2|e2e4 e7e5 g1f3 0-1",
      // The opponent made the last move and the interface stopped the engine before the result.
      "new", "name Opponent", "sd 2", "e2e4", "<move ", "d2d4", "<move ", "force", "result 1-0 {White mates}", "ping 5",
      "<pong 5", "@[White \"Opponent\"]\n[Black \"KestrinChess 2.82a\"]"}},
    {"ClockValuesBeyondAnyClock",
     {"level 0 400000 0", "otim 100", "level 2147483647 5 0", "time 1e30", "time nan", "otim inf", "time 3000", "go",
      "<move ", "new", "force", "level 0 40000000 0", "e2e4", "e7e5", "g1f3", "result 1-0", "ping 3", "<pong 3",
      "@[TimeControl \"1000000+0\"]"}},
    {"AnalysisFollowsTheGame",
     {"new", "post", "analyze", "<#", ".", "<stat01: ", "e2e4", ".", "<stat01: ", "exit", "protover 2", "<feature done=1",
      "e7e5", ".", "!#", "analyze",
      "<#", "new", "analyze", "new", "analyze", "undo", "new", "force", "sd 2", "go", "<move "}},
    {"CommandsThatWaitStopThePondering",
     {"new", "hard", "level 40 5 0", "time 3000", "otim 3000", "h2h4", "<move ", "a2a4", "<move ", "~300", "remove",
      "ping 1", "<pong 1", "a2a4", "<move ", "~300", "undo", "ping 2", "<pong 2", "go", "<move ", "~300",
      std::string("setboard ") + Start, "ping 3", "<pong 3", "easy", "e2e4", "<move "}},
};

void RunScript(const std::vector<std::string>& lines) {
  std::vector<Position> game(1, test::FromFen(Start)); // our copy, one position per ply
  const auto played = [&](const std::string& line, bool found, const std::string& text) {
    Position p = game.back();
    if (!found || text != "move ") return;
    ASSERT_TRUE(PlayMoveText(line.substr(5), p, 0, nullptr)) << "illegal: " << line;
    game.push_back(p);
  };
  const auto other = [&](const std::string& step) {
    Position p = game.back();
    if (step[0] == '&') {
      std::string games;
      for (const std::string& game : test::ReadWithPgnExtract("WinboardGames.pgn"))
        games += (games.empty() ? "" : "|") + game;
      EXPECT_EQ(games, step.substr(1));
    } else if (step[0] == '@' || step[0] == '%') {
      EXPECT_EQ(test::ReadFileBytes("WinboardGames.pgn").find(step.substr(1)) != std::string::npos, step[0] == '@');
    } else {
      const bool fen = step.rfind("setboard ", 0) == 0 && ReadFen(step.data() + 9, step.size() - 9, p) &&
                       !IsInCheck(Opponent(p.sideToMove), p);
      if (step == "new" || fen) game.assign(1, step == "new" ? test::FromFen(Start) : p);
      for (int n = step == "undo" ? 1 : step == "remove" ? 2 : 0; n > 0 && game.size() > 1; --n) game.pop_back();
      if (step.size() >= 4 && std::isdigit(static_cast<unsigned char>(step[1])) && PlayMoveText(step, p, 0, nullptr))
        game.push_back(p);
    }
    return step[0] == '&' || step[0] == '@' || step[0] == '%'; // checks, not lines to send
  };
  test::RunScript(KESTRIN_ENGINE, "xboard", lines, played, other);
}

class Session : public ::testing::TestWithParam<Script> {};

TEST_P(Session, Script) { RunScript(GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(Winboard, Session, ::testing::ValuesIn(scripts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Session, HostileInputIsIgnored) {
  std::mt19937 random(3);
  std::string noise(20000, ' ');
  for (char& c : noise) c = static_cast<char>(random());
  std::vector<std::string> lines = {noise, std::string(100000, 'x') + " quit go new", "name Quitter", "name Hugo"};
  for (int i = 0; i < 1000; ++i) lines.insert(lines.end(), {"post", "e7e5", "level 40 5 0"});
  lines.insert(lines.end(), {"!move ", "ping 11", "<pong 11", "new", "sd 2", "e7e5", "d2d4", "<move ", "quit"});
  RunScript(lines);
}

// xboard ends an engine with "quit" and, at once, SIGTERM: the game of the result line sent
// before them is still saved, and the engine ends normally.
TEST(Session, TerminatedAfterQuitStillSavesTheGame) {
  test::ScratchDirectory scratch;
  test::EngineProcess engine(KESTRIN_ENGINE, scratch.path.string());
  // Started (as an interface waits for the features), then waiting for the analysis to stop
  // ("force" polls the engine every 50 ms) while the last lines come, so that the signal
  // lands before they are read.
  engine.Send("xboard");
  engine.Send("protover 2");
  for (std::string line; line != "feature done=1";) ASSERT_TRUE(engine.ReadLine(line));
  for (const char* line : {"new", "force", "e2e4", "e7e5", "g1f3", "post", "analyze", "force", "result 1-0 {White mates}",
                           "quit"})
    engine.Send(line);
  engine.Signal(SIGTERM);
  EXPECT_EQ(engine.Finish(), 0);
  EXPECT_EQ(test::ReadWithPgnExtract(scratch.Path("WinboardGames.pgn")), std::vector<std::string>{"e2e4 e7e5 g1f3 1-0"});
}

TEST(Session, NothingOnStandardInputPrintsTheUsage) {
  test::ScratchDirectory scratch;
  test::EngineProcess engine(KESTRIN_ENGINE, scratch.path.string());
  std::string line;
  EXPECT_TRUE(engine.Finish() == 0 && engine.ReadLine(line) && line == "Kestrin Chess engine") << line;
}

} // namespace
} // namespace kestrin
