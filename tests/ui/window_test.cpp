// The real main window on the offscreen platform: menus, clicks, drags, dialogs, clocks,
// browsing, PGN files, self-play and closing while the engine works.
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <filesystem>
#include <set>

#include "board/gameend.h"
#include "game/commands.h"
#include "game/windowcommands.h"
#include "game/controller.h"
#include "notation/history.h"
#include "platform/clock.h"
#include "platform/settings.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/searchstate.h"
#include "ui/boardview.h"
#include "ui/menus.h"
#include "ui/sidepanel.h"
#include "windowtest.h"

namespace kestrin::test {
namespace {

TEST_F(WindowTest, MenuCommandsByIdAndLabels) {
  const struct { int id; const char *white, *black; } modes[] = {{command::TwoPlayer, "Human", "Human"},
      {command::ComputerBlack, "Human", EngineLabel}, {command::ComputerWhite, EngineLabel, "Human"}};
  for (const auto& c : modes) {
    window->MenuItems()->Action(c.id)->trigger();
    EXPECT_EQ(Text("whiteName") + "/" + Text("blackName"), QString(c.white) + "/" + c.black) << c.id;
  }
  EXPECT_TRUE(WaitForPly(2)) << "the computer took White";
  Trigger(command::TwoPlayer);
  Button(107); // start/stop hands the computer the side to move
  EXPECT_EQ(Text("blackName").toStdString(), EngineLabel);
  EXPECT_TRUE(WaitForPly(3));
  // The table and pondering show in the file below.
  for (int id : {command::Flip, 1237, 155, command::Ponder}) window->MenuItems()->Action(id)->trigger();
  // The player took Black above, which turned the board; "Flip Board" turns it back.
  EXPECT_TRUE(!controller.boardFlipped && searchSettings.maxPly == 5 && window->MenuItems()->Action(155)->isChecked());
  window->close();
  EXPECT_EQ(ReadFileBytes("Kchess.dft"), "Human\n127.0.0.1\n5\n5\n28\n0\n1\n1\n22\n1\n1\n1\n0\n");
}

TEST_F(WindowTest, GameByClicksAndByDragWithPromotion) {
  Move(4, 6, 4, 4);
  ASSERT_TRUE(WaitForPly(3));
  auto drag = [this](int toFile, int toRow) { // the d2 pawn
    BoardView* board = window->Board();
    const QPoint from = board->SquareCentre(3, 6), to = board->SquareCentre(toFile, toRow);
    QTest::mousePress(board, Qt::LeftButton, {}, from);
    for (const QPoint& at : {from + QPoint(12, -12), to}) {
      QMouseEvent move(QEvent::MouseMove, at, board->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
      QApplication::sendEvent(board, &move);
    }
    QTest::mouseRelease(board, Qt::LeftButton, {}, to);
  };
  drag(3, 2); // d2-d6 is no move: the pawn goes back
  EXPECT_TRUE(PieceAt(3, 6) == WhitePawn && Ply() == 3);
  drag(3, 4);
  EXPECT_EQ(PieceAt(3, 4), WhitePawn);
  ASSERT_TRUE(WaitForPly(5));
  // The promotion question is answered before the move is handed over.
  for (const auto& [button, code] : {std::pair<const char*, int>{"Queen", WhiteQueen}, {"Rook", WhiteRook},
                                     {"Bishop", WhiteBishop}, {"Knight", WhiteKnight}}) {
    SetUpPosition("k7/2P5/8/8/8/8/P7/K7 w - - 0 1");
    Answer(Press(button));
    Move(2, 1, 2, 0);
    EXPECT_TRUE(PieceAt(2, 0) == code && HistoryCount() == 1) << button;
  }
}

TEST_F(WindowTest, FlippedBoardMapsClicks) {
  HumanSide = 3;
  Trigger(command::Flip);
  BoardView* board = window->Board();
  window->resize(window->minimumSizeHint());
  window->SizeToDefault();
  ASSERT_TRUE(WaitUntil([board] { return board->SquareSize() == 64; }, 1000)) << "the default size";
  // Display column and row: h1, a1, h8 (Black's) keeps a1, e2 instead, e2-e5 is no move, e2-e4.
  const struct { int x, y, selected; } cases[] = {{0, 0, 7 + 8 * 7}, {7, 0, 0 + 8 * 7}, {0, 7, 0 + 8 * 7},
      {3, 1, 4 + 8 * 6}, {3, 4, 4 + 8 * 6}, {3, 3, NoSelection}};
  for (const auto& c : cases) {
    QTest::mouseClick(board, Qt::LeftButton, {}, QPoint(10 + c.x * 64 + 5, 10 + c.y * 64 + 5));
    EXPECT_EQ(controller.selectedSquare, c.selected) << c.x << "," << c.y;
  }
  EXPECT_EQ(PieceAt(4, 4), WhitePawn);
}

TEST_F(WindowTest, ClocksOfTheWorkedExampleAndOfAGameBlackBegins) {
  static std::int64_t now = 0;
  SetClockSource([] { return now; });
  struct Step { std::int64_t at; int fromFile, fromRow, toFile, toRow; };
  // The four clocks (White left and used, Black left and used) after the moves, 5 minutes + 5 s.
  const struct { const char* fen; std::vector<Step> moves; std::int64_t end; const char* clocks; } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", {{6000, 4, 6, 4, 4}, {14000, 4, 1, 4, 3},
       {20340, 6, 7, 5, 5}}, 20340, "4:58 0:12 4:57 0:08"},
      // Black moves first: only Black has earned an increment, and White's clock runs after it.
      {"4k3/4p3/8/8/8/8/4P3/4K3 b - - 0 1", {{6000, 4, 1, 4, 3}}, 10000, "4:56 0:04 4:59 0:06"}};
  for (const auto& c : cases) {
    now = 0;
    SetUpPosition(c.fen);
    for (const Step& m : c.moves) now = m.at, Move(m.fromFile, m.fromRow, m.toFile, m.toRow);
    now = c.end;
    const auto clocks = [this] {
      return (Text("whiteRemaining") + " " + Text("whiteUsed") + " " + Text("blackRemaining") + " " +
              Text("blackUsed")).toStdString();
    };
    EXPECT_TRUE(WaitUntil([&] { return clocks() == c.clocks; }, 2000)) << c.fen << ": " << clocks();
  }
}

TEST_F(WindowTest, PgnLoadNextPreviousAndBrowsing) {
  std::string games;
  const char* texts[] = {"1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 6. Re1 b5 7. Bb3 h6 *", "1. d4 *",
                         "1. c4 *"};
  for (int i = 0; i < 3; ++i) games += "[Event \"Game " + std::to_string(i + 1) + "\"]\n\n" + texts[i] + "\n\n";
  WriteFileBytes("three.pgn", games);
  Answer(ChooseFile(home->Path("three.pgn")));
  HumanSide = 3;
  Trigger(command::LoadPgn);
  ASSERT_TRUE(window->Panel()->Info().startsWith("Game 1\nEvent: Game 1")) << window->Panel()->Info().toStdString();
  EXPECT_EQ(Ply(), 15);
  for (const auto& [id, ply] : {std::pair{103, 1}, {106, 3}, {126, 4}, {105, 2}, {125, 1}, {104, 15}}) {
    Button(id);
    EXPECT_EQ(Ply(), ply) << "button " << id;
  }
  for (const auto& [key, game] : {std::pair{Qt::Key_L, "Game 2"}, {Qt::Key_L, "Game 3"}, {Qt::Key_K, "Game 2"}}) {
    QTest::keyClick(window.get(), key);
    EXPECT_TRUE(window->Panel()->Info().startsWith(QString(game) + "\n")) << game;
  }
}

TEST_F(WindowTest, DialogsAndTheirRangeBoxes) {
  auto fill = [this](int id, std::vector<std::pair<const char*, const char*>> fields, std::vector<QString> boxes) {
    boxTexts.clear();
    Answer([fields](QWidget* dialog) {
      for (const auto& [name, text] : fields) {
        auto* field = dialog->findChild<QLineEdit*>(name);
        ASSERT_NE(field, nullptr) << name;
        field->clear();
        QTest::keyClicks(field, text); // typed, so that the fields' rules apply
      }
      Press("OK")(dialog);
    });
    for (std::size_t i = 0; i < boxes.size(); ++i) Answer(Press("OK"));
    Trigger(id);
    EXPECT_EQ(boxTexts, boxes) << id;
  };
  fill(command::UserLevel, {{"field100", "x7y"}, {"field101", "-4"}, {"field105", "12"}}, {"Seconds set to 0"});
  EXPECT_TRUE(searchSettings.maxPly == 7 && !searchSettings.maxSecondsPerMove && searchSettings.maxNodes == 12000);
  fill(command::SetTimeControl, {{"field100", "10"}, {"field101", "3"}}, {});
  EXPECT_TRUE(searchSettings.timeMinutes == 10 && settings.gameMinutes == 10 && settings.secondsPerMove == 3);
  fill(command::PlayerInfo, {{"field100", "Konstantinopoulos-Wilhelmina Alexandrou"}, {"field101", "2ab1"}}, {});
  EXPECT_EQ(settings.eloRating, 21);
  EXPECT_EQ(Text("whiteName").toStdString(), "Konstantinopoulos-Wilhelmina Alexandr");
}

TEST_F(WindowTest, ClosingWhileTheEngineWorks) {
  for (int work : {command::ComputerWhite, command::Ponder, command::Analyze}) {
    SCOPED_TRACE(work);
    std::filesystem::remove("Kchess.dft");
    SetUpPosition("4k3/8/3p4/2p5/8/8/3P4/R3K3 w - - 0 1"); // out of the book, so that the engine searches
    searchSettings.maxPly = 28;
    Trigger(work);
    if (work == command::ComputerWhite) {
      ASSERT_TRUE(WaitUntil([] { return EngineBusy == 1 && search.nodeCount > 0; }));
      Click(0, 7); // clicks while the engine thinks are ignored
      EXPECT_EQ(controller.selectedSquare, NoSelection);
    } else if (work == command::Ponder) {
      searchSettings.maxSecondsPerMove = 1;
      HumanSide = 1;
      Move(0, 7, 0, 1);
      ASSERT_TRUE(WaitUntil([] { return EngineBusy == 2; }));
    } else {
      ASSERT_TRUE(WaitUntil([] { return EngineBusy == 1 && EngineMode == 1; }));
      Trigger(1234); // a new table while the engine analyses: the analysis stops and starts again
      EXPECT_EQ(settings.hashSizeExponent, 19);
      ASSERT_TRUE(WaitUntil([] { return EngineBusy == 1 && EngineMode == 1; }));
    }
    window->close();
    EXPECT_TRUE(EngineBusy == 0 && std::filesystem::exists("Kchess.dft"));
    TearDown();
    SetUp();
  }
}

// The files and ranks are drawn in the squares along the bottom and left edges only, follow a
// flip, and go when switched off.
TEST_F(WindowTest, CoordinatesAlongTheEdges) {
  for (int flipped : {0, 1}) {
    controller.boardFlipped = flipped;
    const QImage on = BoardImage();
    Trigger(command::Coordinates);
    EXPECT_FALSE(window->MenuItems()->Action(command::Coordinates)->isChecked());
    const QImage off = BoardImage();
    Trigger(command::Coordinates);
    std::set<int> edges;
    for (int i = 0; i < 8; ++i) edges.insert(i + 8 * (flipped ? 0 : 7)), edges.insert((flipped ? 7 : 0) + 8 * i);
    EXPECT_EQ(DifferingSquares(on, off), edges) << "flipped " << flipped;
  }
}

// Size, place, flip, level, coordinates and notation come back after a restart.
TEST_F(WindowTest, SettingsRestoredAfterARestart) {
  // Each item's check mark after it was chosen once.
  const std::pair<int, bool> changes[] = {
      {command::Flip, true}, {command::Coordinates, false}, {command::ShortNotation, false}, {153, true}};
  for (const auto& [id, checked] : changes) Trigger(id);
  window->setGeometry(QRect(QPoint(40, 30), window->size() + QSize(120, 80)));
  QTest::qWait(20);
  const QRect geometry = window->geometry();
  window->close();
  window.reset();
  // The next start begins from the defaults, as a new process would.
  ResetController();
  viewOptions = ViewOptions();
  searchSettings.maxPly = 2;
  StartEngineThread();
  window = std::make_unique<MainWindow>();
  window->Start();
  for (const auto& [id, checked] : changes) EXPECT_EQ(window->MenuItems()->Action(id)->isChecked(), checked) << id;
  EXPECT_EQ(searchSettings.maxPly, 3);
  EXPECT_EQ(window->geometry(), geometry);
  EXPECT_TRUE(std::filesystem::exists(home->Path("config/kestrin/window.conf")));
}

} // namespace
} // namespace kestrin::test
