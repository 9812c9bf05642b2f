// Scripted UCI sessions with the engine program over pipes, as a host drives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <sstream>

#include "board/attacks.h"
#include "notation/fen.h"
#include "support/engineprocess.h"
#include "support/fixtures.h"
#include "support/legalmoves.h"
#include "support/san.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Makes the legal move written as UCI coordinates ("e7e8q"); false when there is none.
bool PlayCoordinates(Position& p, const std::string& text) {
  for (Move m : test::LegalMoves(p))
    for (int piece = Bishop; piece <= Queen; ++piece)
      if (text == test::CoordinateOf(m) + (IsPromotion(p, m) ? std::string(1, "..pbnrq"[piece]) : "")) {
        MoveUndo undo;
        MakeMove(p, m, undo, piece);
        return true;
      }
  return false;
}

// The position a "position" line sets up, played up to its first illegal move; false when
// the engine is to refuse it (not read, or the side not to move in check).
bool Replay(const std::string& line, Position& p) {
  std::istringstream words(line.substr(9));
  std::string word, fen;
  words >> word;
  while (words >> word && word != "moves") fen += word + " ";
  Position start = test::FromFen(Start);
  if (!fen.empty() && (!ReadFen(fen.data(), fen.size(), start) || IsInCheck(Opponent(start.sideToMove), start)))
    return false;
  for (p = start; words >> word && PlayCoordinates(p, word);) {}
  return true;
}

// Steps as test::RunScript reads them; other lines are sent. Every bestmove (and its ponder
// move) must be legal where the script's last position stands, and "0000" after a refused position.
void RunScript(const std::vector<std::string>& lines) {
  Position game = test::FromFen(Start);
  bool refused = false;
  const auto bestmove = [&](const std::string& line, bool, const std::string&) {
    std::istringstream words(line);
    std::string word, move, ponder;
    if (!(words >> word >> move) || word != "bestmove") return;
    Position p = game;
    EXPECT_TRUE(move == "0000" ? refused || test::LegalMoves(p).empty() : !refused && PlayCoordinates(p, move)) << line;
    if (words >> word >> ponder) {
      EXPECT_TRUE(PlayCoordinates(p, ponder)) << line;
    }
  };
  const auto send = [&](const std::string& step) {
    if (step.rfind("position ", 0) == 0) refused = !Replay(step, game);
    return false;
  };
  test::RunScript(KESTRIN_ENGINE, "uci", lines, bestmove, send);
}

struct Script {
  const char* name;
  std::vector<std::string> lines;
};

std::vector<Script> Scripts() {
  std::mt19937 random(16);
  const test::RandomGame long_game = test::PlayRandomGame(random, 300, test::FromFen(Start));
  std::string played = "position startpos moves";
  for (const std::string& move : long_game.coordinates) played += " " + move;
  return {
      {"EveryCommand",
       {"<id name Kestrin Chess 2.82", "<option name Hash type spin default 24", "<uciok", "setoption name Hash value 50",
        "setoption name clear hash", "setoption name OwnBook value false", "xyzzy", "isready", "<readyok", "ucinewgame",
        "position startpos", "go depth 4", "<info depth 4", "<bestmove", "setoption name OwnBook value true",
        "position startpos", "go wtime 60000 btime 60000 winc 100 binc 100", "<info string book move", "<bestmove",
        "setoption name UCI_AnalyseMode value true", "position startpos moves e2e4 e7e5", "go nodes 5000", "<info depth",
        "<bestmove", "go movetime 200", "<bestmove", "go wtime 50 btime 50 movestogo 1", "<bestmove",
        "position fen 7k/8/6K1/8/8/8/8/R7 w - - 0 1", "go depth 3", "<info depth 1 score mate 1", "<bestmove a1a8",
        "position fen 6k1/8/6K1/8/8/8/8/R7 b - - 0 1", "go depth 6", "<info depth 4 score mate -2", "<bestmove",
        "position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "go depth 3", "<bestmove 0000",
        // A single legal move is played at once, with the mate it leads into; searchmoves
        // keeps to its moves (the illegal one left out) even when another mates.
        "position fen k7/8/1K6/8/8/8/8/7R b - - 0 1", "go wtime 10000 btime 10000", "<info depth 2 score mate -1",
        "<bestmove a8b8", "position fen 7k/8/6K1/8/8/8/8/R7 w - - 0 1", "go searchmoves a1a2 e2e4 depth 3",
        "<bestmove a1a2", "quit"}},
      {"IllegalMovesAndLongGames",
       {"position startpos moves e2e4 e7e5 e1e3 g1f3", "<info string illegal move e1e3", "go depth 2", "<bestmove",
        "position fen 1r5k/2r5/8/8/3P4/8/8/K6r w - - 0 1", "go depth 3", "<bestmove a1a2",
        // Refused positions: no move from the one before them.
        "position fen no position", "<info string not a valid position", "go depth 2", "<bestmove 0000",
        "position fen 4k3/8/8/8/8/8/8/4R2K w - - 0 1", "<info string not a valid position", "go depth 2",
        "<bestmove 0000",
        played, "!info string", "go depth 3", "<bestmove"}},
      {"StopAndIsreadyDuringASearch",
       {"setoption name OwnBook value false", "stop", "position startpos moves e2e4", "go infinite", "~300", "isready", "<readyok", "!bestmove", "stop",
        "<bestmove", "go depth 40", "~100", "stop", "<bestmove", "isready", "<readyok"}},
      {"PonderHitAndMiss",
       {"setoption name OwnBook value false", "position startpos moves d2d4 g8f6", "go ponder wtime 5000 btime 5000 winc 100 binc 100", "!bestmove",
        "ponderhit", "<bestmove", "position startpos moves d2d4 g8f6 c2c4 e7e6", "go ponder wtime 5000 btime 5000",
        "~300", "stop", "<bestmove", "position startpos moves d2d4 g8f6 c2c4 c7c5", "go wtime 5000 btime 5000",
        "<bestmove"}},
  };
}

void PrintTo(const Script& script, std::ostream* out) { *out << script.name; }

// Searches cut by the clock: the last info line before each bestmove is the deepest.
TEST(Session, TheLastInfoLineIsTheDeepest) {
  test::ScratchDirectory scratch;
  test::EngineProcess engine(KESTRIN_ENGINE, scratch.path.string());
  engine.Send("uci");
  engine.Send("setoption name OwnBook value false");
  const char* const positions[] = {"startpos", "startpos moves e2e4 c7c5 g1f3 d7d6 d2d4",
                                   "fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"};
  for (int search = 0; search < 24; ++search) {
    engine.Send(std::string("position ") + positions[search % 3]);
    engine.Send("go movetime " + std::to_string(20 + 10 * (search % 5)));
    int deepest = 0, last = 0;
    for (std::string line; engine.ReadLine(line, 10) && line.rfind("bestmove", 0) != 0;) {
      if (std::sscanf(line.c_str(), "info depth %d", &last) == 1) deepest = std::max(deepest, last);
    }
    ASSERT_EQ(engine.Seen().back().rfind("bestmove", 0), 0u) << "no bestmove";
    EXPECT_EQ(last, deepest) << "search " << search << ": " << ::testing::PrintToString(engine.Seen());
  }
}

class Session : public ::testing::TestWithParam<Script> {};

TEST_P(Session, Script) { RunScript(GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(Uci, Session, ::testing::ValuesIn(Scripts()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kestrin
