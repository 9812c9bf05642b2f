// The window's tools: the clipboard and game-state commands, the developer displays and the
// book dialog with its build running beside the window.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstring>
#include <random>

#include "book/book.h"
#include "book/bookbuild.h"
#include "game/commands.h"
#include "game/controller.h"
#include "notation/history.h"
#include "search/engine.h"
#include "search/output.h"
#include "ui/bookdialog.h"
#include "ui/sidepanel.h"
#include "windowtest.h"

namespace kestrin::test {
namespace {

std::string Record() {
  std::string text;
  for (int ply = 1; ply <= HistoryCount(); ++ply) text += PlyText(gameHistory, ply);
  return text;
}

TEST_F(WindowTest, ClipboardCopiesAndPastes) {
  QClipboard* clipboard = QApplication::clipboard();
  HumanSide = 3;
  Trigger(command::CopyPosition);
  EXPECT_EQ(clipboard->text(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  const std::string binary("\x01\xff\xfe garbage\x7f 1.", 14);
  const struct {
    std::string text;
    int command;
    std::string record; // "" with `kept`: the game before the paste stays
    bool kept;
  } cases[] = {
      {"1. e4 e5 2. Nf3 Nc6", command::PasteTranscript, "e2-e4 e7-e5 Ng1-f3Nb8-c6", false},
      {"1. e4 {a comment} e5 2. Ke3 Nc6 3. Nf3 (3. d4) 1-0", command::PasteTranscript, "e2-e4 e7-e5 Ng1-f3", false},
      {"hello world", command::PasteTranscript, "", true},
      {binary, command::PasteTranscript, "", true},
      {std::string(1 << 20, 'x'), command::PasteTranscript, "", true},
      {"1. d4 " + std::string(1 << 20, ' ') + "d5", command::PasteTranscript, "d2-d4 d7-d5 ", false},
      {"8/8/8/8/8/8/8/K6k b - - and some words", command::PastePosition, "", false},
      {"8/8/8/8/8/8/8/K7 w - -", command::PastePosition, "", true},
      {binary, command::PastePosition, "", true},
  };
  for (const auto& c : cases) {
    Trigger(command::New);
    Click(4, 6);
    Click(4, 4);
    clipboard->setText(QString::fromLatin1(c.text.data(), static_cast<int>(c.text.size())));
    Trigger(c.command);
    const std::string label = c.text.substr(0, 40);
    if (c.kept) EXPECT_EQ(Record(), "e2-e4 ") << label;
    else EXPECT_EQ(Record(), c.record) << label;
    if (c.command == command::PastePosition)
      EXPECT_EQ(window->Panel()->Info(), c.kept ? "Not a valid Position" : "Position Pasted.") << label;
  }
  Trigger(command::New);
  Click(4, 6), Click(4, 4), Click(4, 1), Click(4, 3);
  Trigger(command::CopyTranscript);
  EXPECT_EQ(clipboard->text(), "1. e2-e4  e7-e5  \n");
}

TEST_F(WindowTest, GameStateCopyPasteAndUndo) {
  HumanSide = 3;
  Click(4, 6), Click(4, 4), Click(4, 1), Click(4, 3);
  QTest::keyClick(window.get(), 'c');
  Click(6, 7), Click(5, 5);
  Button(125); // a ply back: the state carries the ply shown
  const std::string before = Record();
  netGame = 1;
  QTest::keyClick(window.get(), 'v');
  netGame = 0;
  EXPECT_EQ(Ply(), 3) << "no paste in a network game";
  QTest::keyClick(window.get(), 'v');
  EXPECT_EQ(Record(), "e2-e4 e7-e5 ");
  EXPECT_EQ(Ply(), 3);
  Trigger(command::UndoPasteGameState);
  EXPECT_EQ(Record(), before);
  EXPECT_EQ(Ply(), 3) << "back at the ply shown before the paste";
}

TEST_F(WindowTest, DeveloperDisplays) {
  HumanSide = 3;
  Trigger(command::ClearHash);
  Trigger(command::DisplayTtEntry);
  EXPECT_EQ(window->Panel()->Info().toStdString(), "Not Found");

  // Out of the book: the computer searches White's move, then the rest of its line is played.
  SetUpPosition("r3k2r/ppp2ppp/2n5/3q4/3P4/2N5/PP3PPP/R2QK2R w KQkq - 0 12");
  Trigger(command::ComputerWhite);
  ASSERT_TRUE(WaitUntil([this] { return Ply() == 2 && EngineBusy == 0; }));
  Trigger(command::TwoPlayer);
  Trigger(command::DisplayTtEntry);
  EXPECT_NE(window->Panel()->Info(), "Not Found");
  const std::string reply = PvEntryText(2, 1).substr(0, 5);
  ASSERT_EQ(reply.size(), 5u) << PvText(1);
  Trigger(command::PlayPv);
  ASSERT_EQ(Ply(), 3) << PvText(0) << "|" << Record();
  std::string played(PlyText(gameHistory, 2));
  if (std::strchr("NBRQK", played[0])) played.erase(0, 1); // a piece letter
  for (char& c : played) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(played.substr(0, 5), reply);
}

class BookDialogTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    HumanSide = 3;
    dialog = std::make_unique<BookDialog>(window.get());
    dialog->show();
  }
  void TearDown() override {
    dialog.reset();
    ResetBookBuildSettings();
    WindowTest::TearDown();
  }
  void Build(const std::string& name, bool cancel = false) {
    dialog->StartBuild(QString::fromStdString(home->Path(name)));
    if (cancel)
      for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == "Cancel") b->click();
    ASSERT_TRUE(WaitUntil([this] { return !dialog->Building(); }, 60000));
  }
  std::unique_ptr<BookDialog> dialog;
};

TEST_F(BookDialogTest, FieldsApplyTheirLimits) {
  const struct {
    const char* field;
    const char* text;
    int BookBuildSettings::*value;
    int expected;
  } cases[] = {{"fromMove", "0", &BookBuildSettings::fromMove, 1},   {"fromMove", "31", &BookBuildSettings::fromMove, 30},
               {"upToMove", "", &BookBuildSettings::upToMove, 1},    {"upToMove", "12", &BookBuildSettings::upToMove, 12},
               {"times", "0", &BookBuildSettings::times, 1},         {"maxGames", "7", &BookBuildSettings::maxGames, 7}};
  for (const auto& c : cases) {
    dialog->findChild<QLineEdit*>(c.field)->setText(c.text);
    EXPECT_EQ(bookBuildSettings.*c.value, c.expected) << c.field << " " << c.text;
  }
  dialog->findChild<QCheckBox*>("Losing")->setChecked(true);
  EXPECT_EQ(BookBuildSides(bookBuildSettings), BookSideWinning | BookSideDrawing | BookSideLosing);
}

TEST_F(BookDialogTest, BuildCancelAndBadFiles) {
  std::string many;
  for (int i = 0; i < 40000; ++i) many += "[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 1-0\n\n";
  WriteFileBytes("many.pgn", many);
  std::string noise(1 << 16, '\0');
  std::mt19937 random(7);
  for (char& c : noise) c = static_cast<char>(random());
  WriteFileBytes("noise.pgn", noise);
  WriteFileBytes("two.pgn", "[Result \"0-1\"]\n\n1. a3 h6 2. a4 0-1\n\n[Result \"0-1\"]\n\n1. a3 h6 0-1\n");
  SetUpPosition("8/8/8/4k3/8/8/8/4K3 w - - 0 1");
  const Position board = GamePositionNow();

  const struct {
    const char* file;
    bool cancel;
    int result;
    int added; // positions; -1: the book as before to the byte
  } cases[] = {{"many.pgn", true, BookBuildCancelled, -1}, {"missing.pgn", false, 0, -1}, {"noise.pgn", false, 2, 0},
               {"two.pgn", false, 3, 1}};
  for (const auto& c : cases) {
    std::unique_ptr<OpeningBook, void (*)(OpeningBook*)> before(BookSnapshot(), BookDiscard);
    const int count = openingBook.count;
    bookBuildSettings.winning = 0, bookBuildSettings.losing = 1; // the loser's a3 and a4 positions
    bookBuildSettings.times = 2;
    Build(c.file, c.cancel);
    EXPECT_EQ(dialog->LastResult(), c.result) << c.file;
    if (c.added < 0) {
      EXPECT_EQ(std::memcmp(before.get(), &openingBook, sizeof openingBook), 0) << c.file;
      EXPECT_EQ(std::memcmp(&board, &gamePosition, sizeof board), 0) << c.file << ": the board stays";
    } else {
      EXPECT_EQ(openingBook.count, count + c.added) << c.file;
      EXPECT_TRUE(WaitUntil([this] { return window->Panel()->Info() == "Finished Adding .PGN"; }, 2000)) << c.file;
    }
    EXPECT_EQ(dialog->findChild<QLabel*>("count")->text(), QString("# of Positions in Book: %1").arg(openingBook.count));
  }
}

} // namespace
} // namespace kestrin::test
