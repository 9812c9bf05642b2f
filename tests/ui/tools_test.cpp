// The window's tools: the clipboard commands, the principal variation played on,
// and the book dialog with its build running beside the window.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstring>
#include <filesystem>
#include <random>

#include "book/book.h"
#include "book/bookbuild.h"
#include "game/commands.h"
#include "game/controller.h"
#include "notation/history.h"
#include "search/engine.h"
#include "search/output.h"
#include "ui/bookdialog.h"
#include "ui/probes.h"
#include "ui/sidepanel.h"
#include "support/gamereset.h"
#include "windowtest.h"

namespace kestrin::test {
namespace {

// 64 KiB of random bytes: a file that is neither games nor a book.
std::string Noise(unsigned seed) {
  std::mt19937 random(seed);
  std::string noise(1 << 16, 0);
  for (char& byte : noise) byte = static_cast<char>(random());
  return noise;
}

TEST_F(WindowTest, ClipboardCopiesAndPastes) {
  QClipboard* clipboard = QApplication::clipboard();
  HumanSide = 3;
  const std::string binary("\x01\xff\xfe garbage\x7f 1.", 14), kept = "e2-e4 "; // kept: the game before the paste
  const struct { std::string text; int command; std::string record; } cases[] = {
      {"1. e4 e5 2. Nf3 Nc6", command::PasteTranscript, "e2-e4 e7-e5 Ng1-f3Nb8-c6"},
      {binary, command::PasteTranscript, kept},
      {"1. d4 " + std::string(1 << 20, ' ') + "d5", command::PasteTranscript, "d2-d4 d7-d5 "},
      {"8/8/8/8/8/8/8/K7 w - -", command::PastePosition, kept},
      {"4k3/8/8/8/8/8/4P3/4K3 w - - and some words", command::PastePosition, ""},
  };
  for (const auto& c : cases) {
    Trigger(command::New);
    Move(4, 6, 4, 4);
    clipboard->setText(QString::fromLatin1(c.text.data(), static_cast<int>(c.text.size())));
    Trigger(c.command);
    EXPECT_EQ(Record(), c.record) << c.text.substr(0, 40);
  }
  // The note on a pasted position goes with the next move.
  EXPECT_EQ(window->Panel()->Info(), "Position Pasted.");
  Move(4, 6, 4, 4);
  EXPECT_TRUE(Ply() == 2 && window->Panel()->Info() != "Position Pasted.") << "the note on the pasted position stays";
  Trigger(command::New);
  Move(4, 6, 4, 4), Move(4, 1, 4, 3);
  // The game state goes through files of the home folder: paste returns to the copy, undo to
  // the game the paste replaced.
  Trigger(command::CopyGameState);
  Move(6, 7, 5, 5), Move(1, 0, 2, 2);
  Trigger(command::PasteGameState);
  EXPECT_TRUE(Ply() == 3 && Record() == "e2-e4 e7-e5 ") << Record();
  Trigger(command::UndoPasteGameState);
  EXPECT_TRUE(Ply() == 5 && Record() == "e2-e4 e7-e5 Ng1-f3Nb8-c6") << Record();
}

// Out of the book: the computer searches White's move; once the table is cleared, the rest of
// the line (kept apart from the table) is still played.
TEST_F(WindowTest, PlayPvAfterASearch) {
  SetUpPosition("r3k2r/ppp2ppp/2n5/3q4/3P4/2N5/PP3PPP/R2QK2R w KQkq - 0 12");
  Trigger(command::ComputerWhite);
  ASSERT_TRUE(WaitForPly(2));
  Trigger(command::TwoPlayer);
  Trigger(command::ClearHash);
  const std::string reply = PvEntryText(2, 1).substr(0, 5);
  ASSERT_EQ(reply.size(), 5u) << PvText(1);
  Trigger(command::PlayPv);
  ASSERT_EQ(Ply(), 3) << PvText(0) << "|" << Record();
  std::string played(PlyText(gameHistory, 2));
  if (std::strchr("NBRQK", played[0])) played.erase(0, 1); // a piece letter
  for (char& c : played) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(played.substr(0, 5), reply);
}

TEST_F(WindowTest, BookDialogLimitsBuildsAndCancels) {
  HumanSide = 3;
  BookDialog dialog(window.get());
  dialog.show();
  dialog.findChild<QLineEdit*>("fromMove")->setText("31");
  dialog.findChild<QLineEdit*>("times")->setText("2");
  EXPECT_TRUE(bookBuildSettings.fromMove == 30 && bookBuildSettings.times == 2);
  dialog.findChild<QLineEdit*>("fromMove")->setText("0");
  EXPECT_EQ(bookBuildSettings.fromMove, 1);
  dialog.findChild<QCheckBox*>("Winning")->setChecked(false);
  dialog.findChild<QCheckBox*>("Losing")->setChecked(true); // the loser's a3 and a4 positions
  EXPECT_EQ(BookBuildSides(bookBuildSettings), BookSideDrawing | BookSideLosing);

  std::string many;
  for (int i = 0; i < 40000; ++i) many += "[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 1-0\n\n";
  WriteFileBytes("many.pgn", many);
  WriteFileBytes("two.pgn", "[Result \"0-1\"]\n\n1. a3 h6 2. a4 0-1\n\n[Result \"0-1\"]\n\n1. a3 h6 0-1\n");
  WriteFileBytes("noise.pgn", Noise(7));
  SetUpPosition("8/8/8/4k3/8/8/8/4K3 w - - 0 1");
  const Position board = GamePositionNow();
  // added: positions; -1: the book and the board as before to the byte. blocked: the file the
  // counted book is saved to cannot be written.
  const struct { const char* file; bool cancel, blocked; int result, added; } cases[] = {
      {"many.pgn", true, false, BookBuildCancelled, -1},
      {"noise.pgn", false, false, 2, 0}, // read as one game without moves
      {"two.pgn", false, true, 3, -1},
      {"two.pgn", false, false, 3, 1}};
  for (const auto& c : cases) {
    if (c.blocked) {
      std::filesystem::create_directory(BookBuildTempFile);
      Answer(Press("OK")), Answer(Press("OK"));
    }
    std::unique_ptr<OpeningBook, void (*)(OpeningBook*)> before(BookSnapshot(), BookDiscard);
    const int count = openingBook.count;
    dialog.StartBuild(QString::fromStdString(home->Path(c.file)));
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
      if (c.cancel && b->text() == "Cancel") b->click();
    ASSERT_TRUE(WaitUntil([&dialog] { return !dialog.Building(); }, 60000));
    EXPECT_EQ(dialog.LastResult(), c.result) << c.file;
    if (c.cancel) {
      EXPECT_EQ(window->Panel()->Info().toStdString(), BookBuildCancelledText);
    }
    if (c.added < 0) {
      EXPECT_EQ(std::memcmp(before.get(), &openingBook, sizeof openingBook), 0) << c.file;
      if (!c.blocked) {
        EXPECT_EQ(std::memcmp(&board, &gamePosition, sizeof board), 0) << c.file << ": the board stays";
      }
    } else {
      EXPECT_EQ(openingBook.count, count + c.added) << c.file;
      EXPECT_TRUE(WaitUntil([this] { return window->Panel()->Info() == "Finished Adding .PGN"; }, 2000)) << c.file;
    }
    EXPECT_EQ(dialog.findChild<QLabel*>("count")->text(), QString("# of Positions in Book: %1").arg(openingBook.count));
    if (c.blocked) {
      EXPECT_TRUE(WaitUntil([this] { return boxTexts.size() == 2; })) << "the user is told";
      std::filesystem::remove(BookBuildTempFile);
    }
  }
}

TEST_F(WindowTest, FilesThatHoldNoGameOrNoBook) {
  // Binary noise is neither; a game saved at its start is a game, and a book of our own is a book.
  WriteFileBytes("noise.bin", Noise(11));
  WriteFileBytes("start.pgn", "[Event \"Kestrin Chess Game\"]\n[Result \"*\"]\n\n\n\n");
  HumanSide = 3;
  Move(4, 6, 4, 4);
  BookAdd(GamePositionNow(), 2, true);
  ASSERT_TRUE(BookSave("mine.kcb", 0));
  BookCreate(); // loading it back fills the book again
  const struct { int command; const char* file; bool refused; } cases[] = {
      {command::LoadPgn, "noise.bin", true}, {command::LoadBook, "noise.bin", true},
      {command::LoadPgn, "start.pgn", false}, {command::LoadBook, "mine.kcb", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string record = Record();
    std::unique_ptr<OpeningBook, void (*)(OpeningBook*)> before(BookSnapshot(), BookDiscard);
    boxTexts.clear();
    Answer(ChooseFile(home->Path(c.file)));
    const bool book = c.command == command::LoadBook;
    if (book && c.refused) Answer(Press("OK"));
    Trigger(c.command);
    if (book) {
      EXPECT_EQ(std::memcmp(before.get(), &openingBook, sizeof openingBook) != 0, !c.refused);
      EXPECT_EQ(boxTexts.size(), c.refused ? 1u : 0u) << "the user is told";
    } else {
      EXPECT_EQ(Record() == record, c.refused) << Record();
      EXPECT_EQ(window->Panel()->Info().startsWith("Game 1\n"), !c.refused) << window->Panel()->Info().toStdString();
    }
  }
}

TEST_F(WindowTest, ProbesLeaveTheSettingsFileAlone) {
  const std::string mine = "Ann\n10.0.0.7\n"; // the rest is left at the defaults
  WriteFileBytes("Kchess.dft", mine);
  ProbeResponsiveness(*window, 1);
  ASSERT_TRUE(WaitUntil([this] { return !window->isVisible(); }, 20000)) << "the probe closes the window";
  EXPECT_EQ(ReadFileBytes("Kchess.dft"), mine);
}

} // namespace
} // namespace kestrin::test
