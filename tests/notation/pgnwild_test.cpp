// PGN as other programs write it: standard short algebraic notation, tags in any order,
// Windows line ends, comments with clock marks, files without the customary blank lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "notation/history.h"
#include "notation/pgn.h"
#include "pgntest.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"
#include "support/san.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

using test::GeneratedGame;

// The ways writers differ; each file of the test uses one mix of them.
struct Style {
  bool crlf = false;          // Windows line ends
  bool blankAfterTags = true; // the empty line between tags and moves
  bool blankBetweenGames = true;
  bool eventFirst = true;     // false: the Event tag comes last, or not at all
  bool compactNumbers = false; // "1.e4" rather than "1. e4"
  bool annotate = false;      // comments, clock marks, glyphs, variations
  bool byteOrderMark = false;
};

const char* const Results[4] = {"1-0", "0-1", "1/2-1/2", "*"};

std::string Wrap(const std::vector<std::string>& words, const char* lineEnd) {
  std::string text, line;
  for (const std::string& word : words) {
    if (!line.empty() && line.size() + 1 + word.size() > 79) {
      text += line + lineEnd;
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  return text + line + lineEnd;
}

std::string WriteGame(const GeneratedGame& game, int number, const Style& style, std::mt19937& random) {
  const char* end = style.crlf ? "\r\n" : "\n";
  const std::string result = Results[number % 4];
  std::vector<std::string> tags = {"[Site \"Somewhere\"]", "[Date \"2023.04.0" + std::to_string(number % 9) + "\"]",
                                   "[Round \"" + std::to_string(number) + "\"]", "[White \"W" +
                                   std::to_string(number) + "\"]", "[Black \"B\"]", "[Result \"" + result + "\"]",
                                   "[WhiteElo \"2210\"]", "[ECO \"A00\"]", "[PlyCount \"" +
                                   std::to_string(game.san.size()) + "\"]"};
  std::string event = "[Event \"Open " + std::to_string(number) + "\"]";
  if (style.eventFirst) tags.insert(tags.begin(), event);
  else if (number % 2) tags.push_back(event);

  std::vector<std::string> words;
  for (size_t i = 0; i < game.san.size(); ++i) {
    const int moveNumber = static_cast<int>(i / 2 + 1);
    const bool white = i % 2 == 0;
    bool interrupted = false;
    if (white) {
      if (style.compactNumbers) {
        words.push_back(std::to_string(moveNumber) + "." + game.san[i]);
        continue;
      }
      words.push_back(std::to_string(moveNumber) + ".");
    }
    words.push_back(game.san[i]);
    if (!style.annotate) continue;
    switch (random() % 6) {
    case 0: words.push_back("{[%clk 0:0" + std::to_string(random() % 10) + ":1" + std::to_string(random() % 10) + "]}"); interrupted = true; break;
    case 1: words.push_back("$" + std::to_string(random() % 20)); break;
    case 2: {
      // A variation replacing the next move, with its own numbers, a nested line and a comment.
      if (i + 1 >= game.sidelines.size() || game.sidelines[i + 1].empty()) break;
      const auto& side = game.sidelines[i + 1];
      std::string variation = "(" + std::to_string(white ? moveNumber : moveNumber + 1) + (white ? "..." : ".") +
                              " " + side[0];
      for (size_t k = 1; k < side.size(); ++k) variation += " " + side[k];
      variation += " {and 12. Qh5 wins} (" + std::to_string(white ? moveNumber : moveNumber + 1) +
                   (white ? "... " : ". ") + side[0] + "))";
      words.push_back(variation);
      interrupted = true;
      break;
    }
    case 3: words.push_back("{A long remark that runs over more than one line of the file, mentioning 3. Bb5 and "
                            "the (pinned) knight on c6 and [brackets] too}"); interrupted = true; break;
    default: break;
    }
    // After an interruption a black move carries its number again, as most writers do.
    if (interrupted && white && i + 1 < game.san.size()) words.push_back(std::to_string(moveNumber) + "...");
  }
  words.push_back(result);

  std::string text;
  for (const std::string& tag : tags) text += tag + end;
  if (style.blankAfterTags) text += end;
  text += Wrap(words, end);
  if (style.blankBetweenGames) text += end;
  return text;
}

class PgnWildTest : public ::testing::Test {
protected:
  void SetUp() override { test::ResetGame(); }
  void TearDown() override { test::ResetGame(); }
  test::ScratchDirectory dir;
  test::RecordingScope ui;
};

TEST_F(PgnWildTest, GamesInShortAlgebraicFromOtherWritersLoadMoveForMove) {
  const Style styles[] = {
      {},
      {.crlf = true, .byteOrderMark = true},
      {.blankAfterTags = false, .blankBetweenGames = false, .compactNumbers = true},
      {.eventFirst = false, .annotate = true},
      {.crlf = true, .blankAfterTags = false, .eventFirst = false, .annotate = true},
  };
  std::mt19937 random(4242);
  Position initial;
  SetStartPosition(initial);
  int fileNumber = 0;
  for (const Style& style : styles) {
    std::vector<GeneratedGame> games;
    std::string file = style.byteOrderMark ? "\xEF\xBB\xBF" : "";
    for (int g = 0; g < 60; ++g) {
      games.push_back(test::RandomGame(random, 10 + static_cast<int>(random() % 140), initial));
      file += WriteGame(games.back(), g, style, random);
    }
    const std::string name = "wild" + std::to_string(++fileNumber) + ".pgn";
    test::WriteFileBytes(name, file);

    // Read through the file game by game, as the book builder does.
    std::FILE* in = std::fopen(name.c_str(), "r");
    ASSERT_NE(in, nullptr);
    std::vector<char> buffer(PgnBufferSize);
    PgnGameInfo info;
    int more = 1, read = 0;
    while (more && read < 100) {
      more = ReadPgnGame(buffer.data(), in, info);
      ASSERT_LT(read, int(games.size())) << "more games read than written in " << name;
      ResetGameRecord();
      std::vector<std::string> dropped;
      PlayMoveTextBlock(buffer.data(), &dropped);
      std::vector<std::string> fens = test::RecordFens();
      size_t same = 0;
      while (same < fens.size() && same < games[read].fens.size() && fens[same] == games[read].fens[same]) ++same;
      EXPECT_TRUE(same == fens.size() && same == games[read].fens.size())
          << name << " game " << read + 1 << " differs from ply " << same + 1 << " in:\n" << buffer.data();
      for (const std::string& token : dropped)
        EXPECT_EQ(token.find_first_not_of("012/-*"), std::string::npos) << name << " dropped " << token;
      // Each game keeps its own tags wherever its Event tag stands, or whether it has one.
      EXPECT_EQ(std::string(info.result), Results[read % 4]) << name << read;
      ++read;
    }
    std::fclose(in);
    EXPECT_EQ(read, int(games.size())) << name;

    // And a game picked from the middle by number.
    EXPECT_EQ(LoadPgnGame(name.c_str(), 37, 0), 37);
    EXPECT_EQ(test::RecordFens(), games[36].fens) << name;
  }
}

// The positions after each move of a list of standard moves, worked out by the test's own reader.
std::vector<std::string> FensOf(const std::vector<std::string>& san) {
  Position p;
  SetStartPosition(p);
  std::vector<std::string> fens;
  for (const std::string& move : san) {
    EXPECT_TRUE(test::PlaySan(p, move)) << move;
    fens.push_back(test::ToFen(p));
  }
  return fens;
}

TEST_F(PgnWildTest, HandWrittenFilesInOtherProgramsStyles) {
  const std::vector<std::string> ruy = {"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4", "Nf6", "O-O", "Be7"};
  const std::vector<std::string> scandi = {"e4", "d5", "exd5", "Qxd5", "Nc3", "Qa5", "d4", "Nf6"};
  // An online server's export: many tags, clock comments, continuation numbers.
  const std::string server =
      "[Event \"Rated Blitz game\"]\n[Site \"https://example.org/abcd\"]\n[Date \"2024.01.02\"]\n"
      "[White \"alpha\"]\n[Black \"beta\"]\n[Result \"1-0\"]\n[UTCDate \"2024.01.02\"]\n[WhiteElo \"1500\"]\n"
      "[BlackElo \"1490\"]\n[TimeControl \"180+2\"]\n[Termination \"Normal\"]\n\n"
      "1. e4 { [%clk 0:03:00] } 1... e5 { [%clk 0:03:00] } 2. Nf3 { [%clk 0:02:58] } 2... Nc6 { [%clk 0:02:57] } "
      "3. Bb5 { [%clk 0:02:55] } 3... a6 { [%clk 0:02:53] } 4. Ba4 { [%clk 0:02:50] } 4... Nf6 { [%clk 0:02:49] } "
      "5. O-O { [%clk 0:02:48] } 5... Be7 { [%clk 0:02:40] } 1-0\n\n\n";
  // A database program's export: tags in another order, long annotated text, Windows line ends.
  const std::string database =
      "[White \"Gamma, A.\"]\r\n[Black \"Delta, B.\"]\r\n[Event \"Club ch\"]\r\n[Result \"1/2-1/2\"]\r\n\r\n"
      "{This game was played in round 3. The opening is the Scandinavian, which 1. e4 d5 starts; Black\r\n"
      "recaptures at once.} 1. e4 d5 2. exd5 Qxd5 3. Nc3 Qa5 $6 (3... Qd8 4. d4 Nf6 (4... c6 5. Nf3) 5. Nf3)\r\n"
      "4. d4 {White takes the centre} Nf6 {(and now 5. Nf3 is usual)} 1/2-1/2\r\n\r\n";
  // Hand-typed: no blank line after the tags or between games, lower-case castling, tabs.
  const std::string typed = "[Event \"typed\"]\n1.e4 e5\t2.Nf3 Nc6 3.Bb5 a6 4.Ba4 Nf6 5.o-o Be7 *\n"
                            "[Event \"typed again\"]\n1.e4 d5 2.exd5 Qxd5 3.Nc3 Qa5 4.d4 Nf6 *\n";
  // No Event tag at all in either game.
  const std::string noEvent = "[White \"x\"]\n[Black \"y\"]\n\n1. e4 d5 2. exd5 Qxd5 3. Nc3 Qa5 4. d4 Nf6 *\n\n"
                              "[White \"y\"]\n[Black \"x\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 *\n";
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::vector<std::string>> games;
  };
  const Case cases[] = {{"server.pgn", server + server, {ruy, ruy}},
                        {"database.pgn", database + server, {scandi, ruy}},
                        {"typed.pgn", typed, {ruy, scandi}},
                        {"noevent.pgn", noEvent, {scandi, ruy}}};
  for (const Case& c : cases) {
    test::WriteFileBytes(c.name, c.text);
    for (size_t g = 0; g < c.games.size(); ++g) {
      ASSERT_EQ(LoadPgnGame(c.name, int(g + 1), 1), int(g + 1)) << c.name;
      EXPECT_EQ(test::RecordFens(), FensOf(c.games[g])) << c.name << " game " << g + 1;
    }
  }
  LoadPgnGame("database.pgn", 1, 1);
  EXPECT_EQ(ui->LastInfo(), "Game 1\nEvent: Club ch\nTime Control: X\nWhite: Gamma, A.\nBlack: Delta, B.\n"
                            "Result: 1/2-1/2\n");
}

} // namespace
} // namespace kestrin
