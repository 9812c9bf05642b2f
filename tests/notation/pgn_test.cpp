// PGN game files: the writer's fixed form, saved games read back, games as other programs and
// people write them, tags, the games of a file, and files that are not what a reader hopes for.
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "board/attacks.h"
#include "game/clipboard.h"
#include "game/pgnplayers.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "notation/pgn.h"
#include "notation/transcript.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/legalmoves.h"
#include "support/pgnextract.h"
#include "support/recordingfrontend.h"
#include "support/san.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

using test::WriteFileBytes;
using Texts = std::vector<std::string>;

void RecordCoordinates(const Texts& coordinates, const Position* start = nullptr) {
  ResetGameRecord(start);
  for (const std::string& move : coordinates) ASSERT_EQ(PlayMoveText(move, gamePosition, 1, nullptr), 1) << move;
}

Texts RecordTexts() {
  Texts texts;
  for (int ply = 1; ply <= HistoryCount(); ++ply) texts.emplace_back(PlyText(gameHistory, ply));
  return texts;
}

// The FEN after each recorded move, replayed from startPosition (a game begun with Black to
// move has nothing in its first slot).
Texts RecordFens() {
  Texts fens;
  Position p = startPosition;
  for (const std::string& text : RecordTexts()) {
    if (text.empty()) continue;
    PlayMoveText(text, p, 0, nullptr);
    fens.push_back(test::ToFen(p));
  }
  return fens;
}

const char* const InitialFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
const std::string Engine = "KestrinChess 2.82a";
const char* const Results[4] = {"1-0", "0-1", "1/2-1/2", "*"};

class PgnTest : public ::testing::Test {
protected:
  void SetUp() override { test::ResetGame(); }
  void TearDown() override {
    test::ResetGame();
    pgnFileName.clear();
    pgnGameIndex = 1;
  }
  // The saved text without its date and time lines.
  std::string Saved(int result, const PgnPlayers& players) {
    std::filesystem::remove("game.pgn");
    EXPECT_EQ(SavePgnGame(result, "game.pgn", 1, players), 1);
    return std::regex_replace(test::ReadFileBytes("game.pgn"),
                              std::regex("\\[Date \"[0-9]{4}\\.[01][0-9]\\.[0-3][0-9]\"\\]\n|\\[Time \"[0-2][0-9]:[0-5][0-9]:[0-6][0-9]\"\\]\n"), "");
  }
  test::ScratchDirectory dir;
  test::RecordingScope ui;
};

TEST_F(PgnTest, TheWriterWritesTheExportForm) {
  RecordCoordinates({"e2e4", "e7e5", "g1f3"});
  EXPECT_EQ(Saved(1, {.playerName = "Ann Lee"}), "[Event \"Kestrin Chess Game\"]\n[Site \"?\"]\n[Round \"?\"]\n"
            "[White \"Ann Lee\"]\n[Black \"" + Engine + "\"]\n[Result \"1-0\"]\n[TimeControl \"300+5\"]\n"
            "[PlyCount \"3\"]\n[CurrentPly \"4\"]\n\n1. e4 e5 2. Nf3 1-0\n\n");
  // Names and ratings follow the sides the players take (no rating, no tag); a network game has its own.
  const std::pair<PgnPlayers, std::string> cases[] = {
      {{.playerName = "Bo", .eloRating = 1850, .humanSide = 1},
       "[White \"Bo\"]\n[Black \"" + Engine + "\"]\n[Result \"0-1\"]\n[TimeControl \"300+5\"]\n[WhiteElo \"1850\"]\n"},
      {{.playerName = "Bo", .eloRating = 1850, .humanSide = 2},
       "[White \"" + Engine + "\"]\n[Black \"Bo\"]\n[Result \"0-1\"]\n[TimeControl \"300+5\"]\n[BlackElo \"1850\"]\n"},
      {{.netGame = 1, .netWhiteName = "north", .netBlackName = "south", .netMinutes = 3, .netSeconds = 2},
       "[Event \"Net Game\"]\n[Site \"?\"]\n[Round \"?\"]\n[White \"north\"]\n[Black \"south\"]\n[Result \"0-1\"]\n"
       "[TimeControl \"180+2\"]\n"}};
  for (auto& [players, tags] : cases) EXPECT_NE(Saved(2, players).find(tags), std::string::npos) << tags;
  // From a position with Black to move: its FEN, then SetUp; the first number has Black's move alone.
  const Position start = test::FromFen("4k3/8/8/8/8/8/4P3/4K3 b - -");
  RecordCoordinates({"e8d7", "e2e4"}, &start);
  EXPECT_NE(Saved(4, {}).find("[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\"]\n[SetUp \"1\"]\n\n1... Kd7 2. e4 *\n\n"),
            std::string::npos);
}

// Games from awkward starts (pieces beyond their slots, en-passant squares, Black to move,
// castling rights without a rook, promotions), saved as the window, the clipboard and a
// file of many games save them: our reader gives back the same start and moves, and
// pgn-extract reads every move and the result. The window's save is made stepped back into
// the game, as the side panel's buttons leave it, by a player whose name holds what a tag
// value must escape or leave out: it loads back at that ply and with those tags.
TEST_F(PgnTest, AwkwardStartsRoundTripHereAndInPgnExtract) {
  ASSERT_TRUE(std::filesystem::exists(test::PgnExtract)) << "install the Debian package pgn-extract";
  const struct {
    const char* fen;
    const char* first; // a move to play first ("" none)
  } starts[] = {
      {"1r5k/2r5/8/8/3P4/8/8/K6r w - - 0 1", ""},          // a third rook gives check
      {"N3k2N/8/8/8/8/8/8/N3K2N b - - 0 1", ""},           // four knights, Black to move
      {"4k3/8/8/8/2pP4/8/8/4K3 b - d3 0 1", "c4d3"},       // taken en passant at once
      {"rnbqkbnr/pp1ppppp/8/2pP4/8/8/PPP1PPPP/RNBQKBNR w KQkq c6 0 1", "d5c6"},
      {"4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1", ""},            // castling rights without rooks
      {"r3k2r/8/8/8/8/8/8/4K2R b KQkq - 0 1", "e8c8"},
      {"4k3/PP4PP/8/8/8/8/pp4pp/4K3 w - - 0 1", ""},      // promotions to every piece
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", ""},
      {"r3k2r/pppq1ppp/2n5/8/8/2N5/PPPQ1PPP/R3K2R b KQkq - 0 1", ""},
  };
  const std::pair<const char*, const char*> names[] = {
      {"Evil\"] [Result \"0-1", "Evil\"] [Result \"0-1"}, {"C:\\games\\", "C:\\games\\"}, {"tab\tand\nline", "tabandline"}};
  std::mt19937 random(77);
  std::vector<std::string> extracted;
  std::vector<Texts> texts;
  for (std::size_t i = 0; i < 2 * std::size(starts); ++i) {
    const auto& s = starts[i % std::size(starts)];
    SCOPED_TRACE(std::to_string(i) + " " + s.fen);
    const Position start = test::FromFen(s.fen);
    Position next = start;
    Texts coordinates, fens; // the moves, and the FEN after each as the tests' own moves make it
    if (*s.first) {
      coordinates.push_back(s.first);
      test::Play(next, s.first);
      fens.push_back(test::ToFen(next));
    }
    const test::RandomGame game = test::PlayRandomGame(random, 20 + 7 * static_cast<int>(i), next);
    coordinates.insert(coordinates.end(), game.coordinates.begin(), game.coordinates.end());
    fens.insert(fens.end(), game.fens.begin(), game.fens.end());
    RecordCoordinates(coordinates, &start);
    texts.push_back(RecordTexts());
    const std::string startFen = test::ToFen(start);
    auto expectTheGame = [&] {
      EXPECT_EQ(RecordTexts(), texts.back());
      EXPECT_EQ(RecordFens(), fens);
      EXPECT_EQ(test::ToFen(startPosition), startFen);
    };
    expectTheGame();
    // Going back to any ply rebuilds its position from the record.
    for (std::size_t k = 0; k <= fens.size(); ++k) {
      Position p;
      PositionAtPly(p, start.plyCount + static_cast<int>(k));
      EXPECT_EQ(test::ToFen(p), k ? fens[k - 1] : startFen) << "ply " << k;
    }
    std::string line;
    for (const std::string& move : coordinates) line += move + " ";
    // A game that ended in mate or stalemate carries that result; another any result.
    int result = static_cast<int>(i % 4) + 1;
    if (test::LegalMoves(gamePosition).empty())
      result = IsInCheck(gamePosition.sideToMove, gamePosition) ? 3 - gamePosition.sideToMove : 3;
    extracted.push_back(line + Results[result - 1]);
    // The clipboard's game state of a game that is over, then the saves.
    gameState = result;
    ASSERT_EQ(CopyGameState(), 1);
    EXPECT_EQ(test::ReadWithPgnExtract("clipboard.pgn"), Texts{extracted.back()});
    const int ply = start.plyCount + static_cast<int>(random() % (coordinates.size() + 1));
    PositionAtPly(gamePosition, ply);
    const std::string shown = test::ToFen(gamePosition);
    // Each game alone in one file, replacing the last, and after the others in another.
    ASSERT_EQ(SavePgnGame(result, "back.pgn", 0, {.playerName = names[i % 3].first}), 1);
    ASSERT_EQ(SavePgnGame(result, "all.pgn", 1, {}), 1);
    test::ResetGame();
    ASSERT_EQ(PasteGameState(), 1);
    expectTheGame();
    test::ResetGame();
    ASSERT_EQ(LoadPgnGame("back.pgn", 2, 1), 1);
    expectTheGame();
    EXPECT_EQ(gamePosition.plyCount, ply);
    EXPECT_EQ(test::ToFen(gamePosition), shown);
    EXPECT_NE(ui->LastInfo().find(std::string("\nWhite: ") + names[i % 3].second + "\nBlack: " + Engine +
                                  "\nResult: " + Results[result - 1] + "\n"), std::string::npos) << ui->LastInfo();
    EXPECT_EQ(TranscriptLines().size(), (texts.back().size() + 1) / 2) << "the move list holds the whole game";
  }
  EXPECT_EQ(test::ReadWithPgnExtract("all.pgn"), extracted);
  for (int n = 1; n <= static_cast<int>(texts.size()); ++n) {
    EXPECT_EQ(LoadPgnGame("all.pgn", n, 0), n);
    EXPECT_EQ(RecordTexts(), texts[n - 1]) << n;
  }
  std::istringstream lines(test::ReadFileBytes("all.pgn"));
  for (std::string line; std::getline(lines, line);) EXPECT_LT(line.size(), 80u) << line;
}

// Files the earlier writer made: a tag name with a blank, a four-field FEN, the record's own
// move form without a result.
TEST_F(PgnTest, FilesOfTheEarlierWriterStillLoad) {
  WriteFileBytes("old.pgn", "[Event \"Kestrin Chess Game\"]\n[Date \"7/12/2026\"]\n[Time \"10:00:00\"]\n"
                            "[TimeControl \"300+5\"]\n[Current Ply \"3\"]\n[White \"Ann\"]\n[Black \"" + Engine +
                            " \"]\n[Result \"1-0\"]\n[FEN \"4k3/8/8/8/2pP4/8/8/4K3 b - -\"]\n[SetUp \"1\"]\n\n"
                            "1... Ke8-d7 \n2. Ke1-d2  Kd7-c6 \n\n");
  ASSERT_EQ(LoadPgnGame("old.pgn", 1, 0), 1);
  EXPECT_EQ(RecordTexts(), (Texts{"", "Ke8-d7", "Ke1-d2", "Kd7-c6"}));
  EXPECT_EQ(gamePosition.plyCount, 3);
}

// A random game as other programs and people write it: game g mixes Windows line ends, no
// blank lines, the Event tag last or missing, "1.e4" and "1...e5", tabs, castling as o-o or
// 0-0, and comments, clock marks, glyphs and variations with moves in them.
std::string OtherWriters(const test::RandomGame& game, int g, std::mt19937& random) {
  const bool blank = g % 4 != 1, compact = g % 4 == 1, annotate = g % 2 == 1, byHand = g % 5 == 2;
  const std::string end = g % 3 ? "\n" : "\r\n", event = g % 7 == 3 ? "" : "[Event \"Open\"]" + end;
  std::string text = (g % 2 ? "" : event) + "[Site \"Here\"]" + end + "[Result \"" + Results[g % 4] + "\"]" + end +
                     (g % 2 ? event : "") + (blank ? end : "");
  std::vector<std::string> words;
  if (annotate) words.push_back("{Played 1. d4 d5 at the club; the (first) game}");
  for (std::size_t i = 0; i < game.san.size(); ++i) {
    const std::string number = std::to_string(i / 2 + 1);
    std::string move = game.san[i];
    if (byHand && move.starts_with("O-O")) std::replace(move.begin(), move.end(), 'O', "o0"[i % 2]);
    words.push_back(i % 2 ? move : number + (compact ? "." : ". ") + move);
    static const char* const remarks[] = {"{[%clk 0:03:12]}", "(12... Qxh2+ 13. Kf1 {mate (soon)} (13. Kh1))",
                                          "{runs over a line, names 3. Bb5 and [brackets]}", "$14"};
    if (!annotate || random() % 2) continue;
    words.push_back(remarks[random() % 4]);
    // After a remark a black move carries its number again, as most writers do.
    if (i % 2 == 0 && i + 1 < game.san.size() && words.back()[0] != '$')
      words.push_back(number + (compact ? "..." + game.san[++i] : "..."));
  }
  words.push_back(Results[g % 4]);
  std::string line, moves;
  for (const std::string& word : words) {
    if (line.size() + word.size() > 79) {
      moves += line + end;
      line.clear();
    }
    line += word + (byHand ? "\t" : " ");
  }
  return text + moves + line + end + (blank ? end : "");
}

TEST_F(PgnTest, GamesFromOtherWritersLoadMoveForMove) {
  std::mt19937 random(4242);
  std::vector<test::RandomGame> games;
  std::string file = "\xEF\xBB\xBF";
  for (int g = 0; g < 200; ++g) {
    games.push_back(test::PlayRandomGame(random, 10 + static_cast<int>(random() % 140), test::FromFen(InitialFen)));
    file += OtherWriters(games.back(), g, random);
  }
  WriteFileBytes("wild.pgn", file);
  // Read through game by game, as the book builder does.
  std::FILE* in = std::fopen("wild.pgn", "r");
  std::vector<char> buffer(PgnBufferSize);
  PgnGameInfo info;
  for (std::size_t g = 0, more = 1; more; ++g) {
    ASSERT_LT(g, games.size()) << "more games read than written";
    more = ReadPgnGame(buffer.data(), in, info);
    ResetGameRecord();
    Texts dropped;
    PlayMoveTextBlock(buffer.data(), &dropped);
    EXPECT_EQ(RecordFens(), games[g].fens) << "game " << g + 1 << ":\n" << buffer.data();
    for (const std::string& token : dropped) EXPECT_EQ(token.find_first_not_of("012/-*"), std::string::npos) << token;
    EXPECT_EQ(std::string(info.result), Results[g % 4]) << "game " << g + 1;
    EXPECT_TRUE(more || g + 1 == games.size());
  }
  std::fclose(in);
  EXPECT_EQ(LoadPgnGame("wild.pgn", 137, 0), 137);
  EXPECT_EQ(RecordFens(), games[136].fens);
}

TEST_F(PgnTest, MoveNumberForms) {
  const char* const blackFirst = "4k3/8/8/8/8/8/4P3/4K3 b - -";
  const Texts kingWalk = {"", "Ke8-d7", "e2-e4 ", "Kd7-c6"};
  const struct {
    const char* start;
    const char* text;
    Texts played, dropped;
  } cases[] = {
      // A move that does not fit (and the reply to it, which then does not fit either), a result.
      {InitialFen, "1.e4 1...c5 2.Nf3 d6 3. Qxh7 Nf6 4. d4 1-0", {"e2-e4 ", "c7-c5 ", "Ng1-f3", "d7-d6 ", "d2-d4 "},
       {"Qxh7", "Nf6", "1-0"}},
      // From a position with Black to move: as others write it and as this program wrote it
      // before (the transcript's "1... Ke8-d7" is read by FilesOfTheEarlierWriterStillLoad).
      {blackFirst, "1...Kd7 2. e4 Kc6", kingWalk, {}},
      {blackFirst, "1.  Ke8-d7 \n2. e2-e4  Kd7-c6 \n", kingWalk, {}},
  };
  for (const auto& c : cases) {
    const Position start = test::FromFen(c.start);
    ResetGameRecord(&start);
    Texts dropped;
    const auto played = std::count_if(c.played.begin(), c.played.end(), [](auto& t) { return !t.empty(); });
    EXPECT_EQ(PlayMoveTextBlock(c.text, &dropped), played) << c.text;
    EXPECT_EQ(RecordTexts(), c.played) << c.text;
    EXPECT_EQ(dropped, c.dropped) << c.text;
  }
}

TEST_F(PgnTest, TagsAreReadByTheirWholeNames) {
  const std::string n300(300, 'n');
  const std::pair<std::string, std::string> cases[] = {
      {"[Event \"Club\"]\n[Site \"Here\"]\n[WhiteElo \"2100\"]\n[White \"Ann\"]\n[Black \"Bo\"]\n[Result \"0-1\"]\n"
       "[TimeControl \"40/7200\"]\n", "Event: Club\nTime Control: 40/7200\nWhite: Ann\nBlack: Bo\nResult: 0-1"},
      // Two on one line, a value that holds another tag's name, values cut to their fields.
      {"[White \"a\"] [Black \"d\"]\n[Event \"Black \"]\n[Result \"" + n300 + "\"]\n",
       "Event: Black \nTime Control: X\nWhite: a\nBlack: d\nResult: " + std::string(31, 'n')},
      // A path ending in a backslash, as older versions wrote it unescaped.
      {"[White \"C:\\games\\\"]\n[Black \"" + n300 + "\"]\n",
       "Event: X\nTime Control: X\nWhite: C:\\games\\\nBlack: " + std::string(127, 'n') + "\nResult: X"}};
  for (auto& [tags, shown] : cases) {
    WriteFileBytes("t.pgn", tags + "\n1. e4\n\n");
    ASSERT_EQ(LoadPgnGame("t.pgn", 1, 1), 1);
    EXPECT_EQ(ui->LastInfo(), "Game 1\n" + shown + "\n");
    EXPECT_EQ(RecordTexts(), Texts{"e2-e4 "});
  }
}

// Blank and remark lines before the first tag make no game of their own; a tag line and a move
// text far beyond their limits, an unclosed comment and deep nesting still leave sound games.
TEST_F(PgnTest, TheGamesOfAFile) {
  const std::string huge(100 * 1024, 'h');
  WriteFileBytes("three.pgn", "\r\n; games of the club\n% by hand\n{ Three games,\nall short }\n[Event \"" + huge +
                                  "\"]\n\n1. e4 e5 2. Nf3 {" + huge + "} Nc6\n\n[Event \"b\"]\n\n1. d4 { never closed 2. c4\n\n"
                                  "[Event \"c\"]\n\n1. c4 " + std::string(20000, '(') + "\n");
  EXPECT_EQ(LoadPgnGame("three.pgn", 1000000, 1), 3);
  EXPECT_EQ(ui->LastInfo().substr(0, 20), "Game 3\nEvent: c\nTime");
  const Texts expected[] = {{"e2-e4 ", "e7-e5 ", "Ng1-f3"}, {"d2-d4 "}, {"c2-c4 "}};
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(LoadPgnGame("three.pgn", n, 1), n);
    EXPECT_EQ(RecordTexts(), expected[n - 1]);
  }
  // Never before the first, past the end the last stays; a file gone: back to 1, the game stays.
  EXPECT_EQ(LoadFirstPgnGame("three.pgn"), 1);
  const int steps[] = {LoadPreviousPgnGame(), LoadNextPgnGame(), LoadNextPgnGame(), LoadNextPgnGame(), LoadPreviousPgnGame()};
  EXPECT_EQ(std::vector<int>(std::begin(steps), std::end(steps)), (std::vector<int>{1, 2, 3, 3, 2}));
  std::filesystem::remove("three.pgn");
  EXPECT_EQ(LoadNextPgnGame(), 1);
  EXPECT_EQ(RecordTexts(), expected[1]);
}

TEST_F(PgnTest, OnlyRegularFilesAreReadOrWritten) {
  RecordCoordinates({"e2e4", "c7c5"});
  std::filesystem::create_directory("folder.pgn");
  EXPECT_EQ(LoadPgnGame("folder.pgn", 1, 1), 0);
  EXPECT_EQ(HistoryCount(), 2) << "the game on the board stays";
  ASSERT_EQ(mkfifo("pipe.pgn", 0600), 0);
  // A reader holds the pipe open, so that a save that wrongly opens it cannot block the test.
  const int reader = open("pipe.pgn", O_RDONLY | O_NONBLOCK);
  for (const char* name : {"pipe.pgn", "no/such/folder.pgn"}) {
    for (int append : {1, 0}) {
      ui->infoTexts.clear();
      EXPECT_EQ(SavePgnGame(3, name, append, {}), 0) << name << append;
      EXPECT_EQ(ui->LastInfo(), "Cannot Open File.");
    }
  }
  close(reader);
  EXPECT_TRUE(std::filesystem::is_fifo("pipe.pgn"));
}

} // namespace
} // namespace kestrin
