// Scripted sessions with the engine program over real pipes, line by line as an interface talks.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "board/movegen.h"
#include "board/position.h"
#include "notation/fen.h"
#include "notation/movetext.h"
#include "support/engineprocess.h"
#include "support/fixtures.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

using test::EngineProcess;

class Session : public ::testing::Test {
protected:
  void SetUp() override {
    engine = std::make_unique<EngineProcess>(KESTRIN_ENGINE, scratch.path.string());
    engine->Send("xboard");
    SetStartPosition(board);
  }

  // Waits for the engine's move, checks that it is legal on our copy of the game and plays it there.
  std::string ExpectMove(double seconds = 20) {
    std::string line;
    EXPECT_TRUE(engine->WaitFor("move ", &line, seconds)) << Transcript();
    const std::string text = line.substr(5);
    EXPECT_EQ(PlayMoveText(text, board, 0, nullptr), 1) << "illegal engine move: " << line << "\n" << Transcript();
    return text;
  }

  // Sends our move and plays it on our copy.
  void Move(const std::string& coordinates) {
    ASSERT_EQ(PlayMoveText(coordinates, board, 0, nullptr), 1) << coordinates;
    engine->Send(coordinates);
  }

  // True when no line starting with `prefix` comes within `seconds`.
  bool Silent(const std::string& prefix, double seconds) {
    std::string line;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
      double left = std::chrono::duration<double>(end - std::chrono::steady_clock::now()).count();
      if (left <= 0 || !engine->ReadLine(line, left)) return true;
      if (line.rfind(prefix, 0) == 0) return false;
    }
  }

  // Waits until the engine reports its thinking: a search is running.
  void WaitForThinking() {
    std::string line;
    for (;;) {
      ASSERT_TRUE(engine->ReadLine(line, 10)) << "no thinking line\n" << Transcript();
      if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) return;
    }
  }

  // ping and its pong: everything before it has been carried out.
  void Sync(int number = 99) {
    engine->Send("ping " + std::to_string(number));
    EXPECT_TRUE(engine->WaitFor("pong " + std::to_string(number))) << Transcript();
  }

  std::string Transcript() const {
    std::string all;
    for (const std::string& line : engine->Seen()) all += "  > " + line + "\n";
    return all;
  }

  test::ScratchDirectory scratch;
  std::unique_ptr<EngineProcess> engine;
  Position board;
};

TEST(EngineStart, NothingOnStandardInputPrintsTheUsage) {
  test::ScratchDirectory scratch;
  EngineProcess engine(KESTRIN_ENGINE, scratch.path.string());
  EXPECT_EQ(engine.Finish(), 0); // end of input at once: no engine mode, no waiting
  std::string line;
  ASSERT_TRUE(engine.ReadLine(line));
  EXPECT_EQ(line, "Kestrin Chess engine");
  bool namesPerft = false, namesBench = false;
  while (engine.ReadLine(line, 1)) {
    namesPerft = namesPerft || line.find("perft") != std::string::npos;
    namesBench = namesBench || line.find("bench") != std::string::npos;
  }
  EXPECT_TRUE(namesPerft);
  EXPECT_TRUE(namesBench);
}

TEST_F(Session, FeaturesOnProtoverAndCleanQuit) {
  engine->Send("protover 2");
  std::string line;
  ASSERT_TRUE(engine->ReadLine(line));
  EXPECT_EQ(line, "feature myname=\"KestrinChess 2.82a \" name=1 setboard=1 ping=1");
  ASSERT_TRUE(engine->ReadLine(line));
  EXPECT_EQ(line, "feature done=1");
  engine->Send("quit");
  EXPECT_EQ(engine->Finish(), 0);
  EXPECT_EQ(engine->Seen().size(), 2u);
}

TEST_F(Session, EndOfInputEndsTheProcess) {
  Sync();
  EXPECT_EQ(engine->Finish(), 0);
}

TEST_F(Session, ForceMovesThenGo) {
  engine->Send("new");
  engine->Send("force");
  Move("e2e4");
  Move("e7e5");
  EXPECT_TRUE(Silent("move ", 0.5)); // after force the engine stays silent
  engine->Send("sd 3");
  engine->Send("go");
  ExpectMove();
  EXPECT_EQ(board.sideToMove, Black);
  // It goes on answering as White.
  Move("b8c6");
  ExpectMove();
  Move("g8f6");
  ExpectMove();
}

TEST_F(Session, EngineAsBlackAnswersEveryMove) {
  engine->Send("new");
  engine->Send("sd 2");
  for (const char* move : {"d2d4", "c2c4", "b1c3"}) {
    Move(move);
    ExpectMove();
    if (board.sideToMove != White) break;
  }
}

TEST_F(Session, PingDuringASearchIsAnsweredAfterTheMove) {
  engine->Send("new");
  engine->Send("time 1000000");
  engine->Send("otim 1000000");
  engine->Send("level 0 1000 0");
  Sync();
  engine->Send("go");
  WaitForThinking();
  engine->Send("ping 7");
  std::string line;
  ASSERT_TRUE(engine->WaitFor("move ", &line, 5)) << Transcript();
  ASSERT_TRUE(engine->WaitFor("pong 7")) << Transcript();
}

TEST_F(Session, QuestionMarkMovesAtOnce) {
  engine->Send("new");
  engine->Send("level 0 1000 0");
  engine->Send("time 1000000");
  Sync();
  engine->Send("go");
  WaitForThinking();
  const auto sent = std::chrono::steady_clock::now();
  engine->Send("?");
  ExpectMove(3);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count(), 2.0);
}

TEST_F(Session, SetboardAndTheResultOfAMate) {
  engine->Send("new");
  engine->Send("force");
  engine->Send("setboard 7k/8/6K1/8/8/8/8/R7 w - - 0 1");
  board = test::FromFen("7k/8/6K1/8/8/8/8/R7 w - -");
  engine->Send("sd 3");
  engine->Send("go");
  EXPECT_EQ(ExpectMove(), "Ra1-a8");
  std::string result;
  ASSERT_TRUE(engine->WaitFor("1-0", &result)) << Transcript();
  EXPECT_EQ(result, "1-0 {White Mates}");
  // A garbage setboard is refused and the game goes on from the position before.
  engine->Send("new");
  engine->Send("force");
  SetStartPosition(board);
  engine->Send("setboard this is no position");
  engine->Send("setboard 8/8/8/8/8/8/8/8 w - -");
  engine->Send("setboard 4k3/8/8/8/8/8/8/4R2K w - -"); // White could take the king
  engine->Send("sd 2");
  engine->Send("go");
  ExpectMove();
}

TEST_F(Session, UndoAndRemove) {
  engine->Send("new");
  engine->Send("force");
  engine->Send("e2e4");
  engine->Send("e7e5");
  engine->Send("g1f3");
  engine->Send("undo"); // back to 1. e4 e5
  engine->Send("remove"); // back to the start
  engine->Send("sd 2");
  engine->Send("go");
  ExpectMove(); // legal from the initial position on our copy
  EXPECT_EQ(board.plyCount, 2);
}

TEST_F(Session, ResultsAreSavedOnlyAfterMoreThanOnePly) {
  const std::string games = scratch.Path("WinboardGames.pgn");
  engine->Send("new");
  engine->Send("force");
  engine->Send("e2e4");
  engine->Send("result 1-0 {White resigns? no: adjudicated}");
  Sync(1);
  EXPECT_FALSE(std::filesystem::exists(games));
  engine->Send("new");
  engine->Send("force");
  for (const char* move : {"e2e4", "e7e5", "g1f3"}) engine->Send(move);
  engine->Send("result 1/2-1/2 {Draw agreed}");
  Sync(2);
  ASSERT_TRUE(std::filesystem::exists(games));
  const std::string text = test::ReadFileBytes(games);
  EXPECT_NE(text.find("[Result \"1/2-1/2\"]"), std::string::npos) << text;
  EXPECT_NE(text.find("e4"), std::string::npos) << text;
  // The comment's "draw" does not make the engine offer one.
  EXPECT_EQ(Transcript().find("offer draw"), std::string::npos);
}

TEST_F(Session, AnalyzeAndStatusLine) {
  engine->Send("new");
  engine->Send("post");
  Sync();
  engine->Send("analyze");
  WaitForThinking();
  engine->Send(".");
  std::string stat;
  ASSERT_TRUE(engine->WaitFor("stat01: ", &stat, 5)) << Transcript();
  std::istringstream fields(stat.substr(8));
  long hundredths = -1, nodes = -1, depth = -1, left = -1, total = -1;
  fields >> hundredths >> nodes >> depth >> left >> total;
  EXPECT_GE(hundredths, 0);
  EXPECT_GT(nodes, 0);
  EXPECT_GE(depth, 1);
  EXPECT_EQ(total, 20);
  EXPECT_GE(left, 0);
  // Analysis never plays: after leaving it, the engine still has the initial position.
  engine->Send("force");
  engine->Send("sd 2");
  engine->Send("go");
  ExpectMove();
}

TEST_F(Session, PostNopostAndSd) {
  engine->Send("new");
  engine->Send("nopost");
  engine->Send("sd 4");
  engine->Send("go");
  std::string line;
  ASSERT_TRUE(engine->WaitFor("move ", &line)) << Transcript();
  for (const std::string& seen : engine->Seen())
    EXPECT_FALSE(!seen.empty() && std::isdigit(static_cast<unsigned char>(seen[0]))) << "thinking with nopost: " << seen;
  EXPECT_EQ(PlayMoveText(line.substr(5), board, 0, nullptr), 1);
  engine->Send("post");
  Move("e7e5");
  ExpectMove();
  int thinking = 0;
  for (const std::string& seen : engine->Seen()) {
    if (seen.empty() || !std::isdigit(static_cast<unsigned char>(seen[0]))) continue;
    ++thinking;
    EXPECT_LE(std::stoi(seen), 4) << seen; // sd 4 bounds the depth
  }
  EXPECT_GT(thinking, 0);
}

TEST_F(Session, PonderingOnAndOff) {
  engine->Send("new");
  engine->Send("hard");
  engine->Send("time 3000");
  engine->Send("otim 3000");
  Move("e2e4");
  ExpectMove(10);
  // Whatever it predicted, both answers come and stay legal.
  for (int i = 0; i < 3 && board.sideToMove == White; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    MoveList list;
    GenerateMoves(White, board, list);
    std::string reply;
    for (const char* candidate : {"g1f3", "b1c3", "d2d4", "f1c4", "d2d3", "a2a3", "h2h3"})
      if (Position copy = board; PlayMoveText(candidate, copy, 0, nullptr)) {
        reply = candidate;
        break;
      }
    ASSERT_FALSE(reply.empty());
    Move(reply);
    ExpectMove(10);
  }
  engine->Send("easy");
  Sync();
}

TEST_F(Session, HostileInputIsIgnored) {
  std::mt19937 random(3);
  std::string noise;
  for (int i = 0; i < 20000; ++i) noise += static_cast<char>(random());
  engine->Write(noise + "\n");
  engine->Send(std::string(100000, 'x') + " quit go new");
  engine->Send("name Quitter"); // neither "quit" nor "go"
  engine->Send("name Hugo");
  std::string burst;
  for (int i = 0; i < 3000; ++i) burst += (i % 3 == 0 ? "post\n" : i % 3 == 1 ? "e7e5\n" : "level 40 5 0\n");
  engine->Write(burst);
  Sync(11);
  EXPECT_TRUE(engine->Running());
  EXPECT_EQ(Transcript().find("move "), std::string::npos) << "a name or noise started a search";
  // Afterwards a correct game: moves for the wrong side are ignored.
  engine->Send("new");
  engine->Send("sd 2");
  engine->Send("e7e5");
  Move("d2d4");
  ExpectMove();
  engine->Send("quit");
  EXPECT_EQ(engine->Finish(), 0);
}

} // namespace
} // namespace kestrin
