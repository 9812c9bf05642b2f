#include <gtest/gtest.h>

#include <sstream>

#include "board/gameend.h"
#include "board/keys.h"
#include "support/fixtures.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

constexpr const char* Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* Knights = "g1f3 g8f6 f3g1 f6g8 ";

TEST(GameEnd, ResultsAndMessages) {
  const struct {
    const char* fen;
    std::string moves; // played as the game record plays them: each position's key is kept
    int plyCount, irreversiblePly; // set afterwards when not 0
    int result;                    // GameInProgress: the game goes on and nothing is shown
    const char* message;
  } cases[] = {
      {Start, "f2f3 e7e5 g2g4 d8h4", 0, 0, BlackWon, " Checkmate "},
      {"7k/6Q1/5K2/8/8/8/8/8 b - -", "", 150, 40, WhiteWon, " Checkmate "}, // before the 50-move count
      {"k7/1R6/1K6/8/8/8/8/8 b - -", "", 0, 0, GameDrawn, " Draw by Stalemate. "},
      {Start, Knights, 0, 0, GameInProgress, ""},                                  // the second occurrence
      {Start, std::string(Knights) + Knights, 0, 0, GameDrawn, " Draw by Repetition "},
      {Start, std::string(Knights) + Knights, 0, 4, GameInProgress, ""}, // the first one is before the window
      {"4k3/8/8/8/8/8/8/R3K3 w - -", "", 101, 0, GameDrawn, " Draw by 50-Move Rule "},
      {"4k3/8/8/8/8/8/8/2B1K3 w - -", "", 0, 0, GameDrawn, " Draw by insuffucient material to mate "},
      {"4k3/8/8/8/8/8/8/1NN1K3 w - -", "", 0, 0, GameInProgress, ""},
  };
  for (const auto& c : cases) {
    ClearRepetitionKeys();
    Position p = test::FromFen(c.fen);
    std::istringstream moves(c.moves);
    for (std::string m; moves >> m; test::Play(p, m)) RecordRepetitionKey(p);
    if (c.plyCount) p.plyCount = static_cast<u16>(c.plyCount);
    if (c.irreversiblePly) p.irreversiblePly = static_cast<u16>(c.irreversiblePly);
    for (int quiet : {0, 1}) { // without messages, or under the protocol: the result alone
      test::RecordingScope recording;
      WinboardMode = quiet;
      int result = GameInProgress;
      SCOPED_TRACE(std::string(c.fen) + " " + c.moves);
      EXPECT_EQ(CheckGameEnd(p, 1, result), c.result != GameInProgress);
      EXPECT_EQ(result, c.result);
      const auto shown = recording->messages;
      EXPECT_EQ(shown.empty() ? "" : shown[0].first, *c.message && !quiet ? c.message : "");
      EXPECT_EQ(CheckGameEnd(p, 0, result) + recording->messages.size(), (c.result != GameInProgress) + shown.size());
    }
  }
  WinboardMode = 0;
  ClearRepetitionKeys();
}

} // namespace
} // namespace kestrin
