// A finished game in the real window: the result after the last move, in the information
// line with its reason, in the title and in the saved PGN; a loss on time.
#include <QListWidget>
#include <QTest>
#include <filesystem>

#include "board/gameend.h"
#include "game/commands.h"
#include "game/controller.h"
#include "notation/history.h"
#include "platform/clock.h"
#include "search/limits.h"
#include "ui/sidepanel.h"
#include "windowtest.h"

namespace kestrin::test {
namespace {

TEST_F(WindowTest, ResultInListPanelTitleAndSavedGame) {
  const char* start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  const struct { const char *fen, *moves, *reason, *result; } cases[] = {
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "a1a8", "White wins by checkmate", "1-0"},
      {"k7/8/1Q6/8/8/8/8/6K1 w - - 0 1", "b6c7", "Draw by stalemate", "1/2-1/2"},
      {"k7/8/8/8/8/8/1r6/B5K1 w - - 0 1", "a1b2", "Draw by insufficient material", "1/2-1/2"},
      {start, "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", "Draw by repetition", "1/2-1/2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.moves);
    SetUpPosition(c.fen);
    Answer(Press("OK"));
    for (const char* m = c.moves; m[0]; m += m[4] ? 5 : 4) Move(m[0] - 'a', '8' - m[1], m[2] - 'a', '8' - m[3]);
    ASSERT_TRUE(WaitUntil([] { return gameState != GameInProgress; }));
    const QString line = QString(c.result) + "  " + c.reason;
    EXPECT_TRUE(WaitUntil([&] { return window->Panel()->Info() == line; }, 2000)) << window->Panel()->Info().toStdString();
    EXPECT_EQ(window->windowTitle(), "Kestrin Chess 2.82 - " + line);
    auto* list = window->Panel()->findChild<QListWidget*>("moveList");
    EXPECT_EQ(list->item(list->count() - 1)->text(), c.result);
    EXPECT_TRUE(boxTexts.back().endsWith(c.result + QString(")"))) << boxTexts.back().toStdString();
    std::filesystem::remove("saved.pgn");
    Answer(ChooseFile(home->Path("saved.pgn")));
    Trigger(command::AppendGame);
    const std::string saved = ReadFileBytes("saved.pgn");
    EXPECT_NE(saved.find("[Result \"" + std::string(c.result) + "\"]"), std::string::npos) << saved;
  }
}

TEST_F(WindowTest, TheSideToMoveLosesOnTime) {
  static std::int64_t now = 0;
  SetClockSource([] { return now; });
  searchSettings.timeMinutes = 1;
  searchSettings.timeIncrement = 0;
  const char* start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  SetUpPosition(start);
  Move(4, 6, 4, 4);
  now += 59000;
  EXPECT_TRUE(WaitUntil([this] { return Text("blackRemaining") == "0:01"; }, 2000));
  EXPECT_EQ(gameState, GameInProgress);
  Answer(Press("OK"));
  now += 1000;
  ASSERT_TRUE(WaitUntil([] { return gameState == WhiteWon; }, 2000)) << "Black's flag fell";
  EXPECT_TRUE(WaitUntil([this] { return window->Panel()->Info() == "1-0  White wins on time"; }, 2000));
  // With a fixed time per move the clock is not played against.
  searchSettings.maxSecondsPerMove = 5;
  SetUpPosition(start);
  now += 120000;
  QTest::qWait(500); // two ticks of the clock
  EXPECT_EQ(Text("whiteRemaining"), "0:00");
  EXPECT_EQ(gameState, GameInProgress);
}

} // namespace
} // namespace kestrin::test
