#include "book/bookbuild.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <sys/stat.h>

#include "book/book.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "notation/newgame.h"
#include "notation/pgn.h"
#include "platform/frontend.h"
#include "platform/regularfile.h"

namespace kestrin {

const char* const BookBuildTempFile = "TempGen5.kcb";

BookBuildSettings bookBuildSettings;

namespace {

int Limit(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

long FileSize(const char* name) {
  struct stat info;
  return stat(name, &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

// The book of before the build comes back; the user learns why.
void KeepOldBook(OpeningBook* before) {
  BookRestore(before);
  std::remove(BookBuildTempFile);
  ShowMessage("The new positions could not be stored in \"TempGen5.kcb\". The opening book is unchanged.",
              "Book Not Built");
}

} // namespace

void SetBookBuildSettings(const BookBuildSettings& wanted) {
  BookBuildSettings s = wanted;
  s.fromMove = Limit(s.fromMove, 1, 30);
  s.upToMove = Limit(s.upToMove, 1, 30);
  if (s.times < 1) s.times = 1;
  s.winning = s.winning ? 1 : 0;
  s.drawing = s.drawing ? 1 : 0;
  s.losing = s.losing ? 1 : 0;
  bookBuildSettings = s;
}

void ResetBookBuildSettings() { bookBuildSettings = BookBuildSettings{}; }

int BookBuildSides(const BookBuildSettings& s) {
  return (s.winning ? BookSideWinning : 0) | (s.drawing ? BookSideDrawing : 0) | (s.losing ? BookSideLosing : 0);
}

int BuildBookFromPgn(const char* fileName, BookBuildProgress* progress) {
  const BookBuildSettings& s = bookBuildSettings;
  return BuildBookFromPgn(fileName, s.maxGames, s.fromMove, s.upToMove, s.times, BookBuildSides(s), progress);
}

int BuildBookFromPgn(const char* fileName, int maxGames, int fromMove, int upToMove, int times, int sides,
                     BookBuildProgress* progress) {
  std::FILE* file = OpenRegularFile(fileName, FileAccess::Read);
  if (!file) return 0;
  if (progress) progress->fileBytes = FileSize(fileName);
  // The build rewrites the whole book; this copy is what the user keeps should that fail.
  std::unique_ptr<OpeningBook, void (*)(OpeningBook*)> before(BookSnapshot(), BookDiscard);
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[PgnBufferSize]);
  std::unique_ptr<GameHistory> record(new (std::nothrow) GameHistory);
  if (!before || !buffer || !record) {
    std::fclose(file);
    ShowMessage("Not enough memory to build the opening book. The book is unchanged.", "Book Not Built");
    return 0;
  }

  // The engine reads the book while it thinks; it stays idle until the build is over.
  StopEngineForGameChange();
  Position start{};
  SetStartPosition(start);
  Position position = start;
  const bool drawing = sides & BookSideDrawing, winning = sides & BookSideWinning, losing = sides & BookSideLosing;
  PgnGameInfo info;
  bool full = false; // said once, the remaining positions still tried
  int games = 1;
  for (int more = 1; games <= maxGames && more == 1;) {
    more = ReadPgnGame(buffer.get(), file, info);
    // A game without a single fitting move must not count the moves of the game before it.
    ClearHistory(record.get());
    position = start;
    PlayMoveTextBlock(buffer.get(), position, record.get());
    position = start;

    const bool whiteWon = std::strstr(info.result, "1-0") != nullptr;
    const bool blackWon = !whiteWon && std::strstr(info.result, "0-1") != nullptr;
    const bool draw = !whiteWon && !blackWon;
    const int plies = HistoryCount(record.get());
    for (int i = 0; i < 2 * upToMove && i < plies; ++i) {
      PlayMoveText(PlyText(*record, i + 1), position, 0, nullptr);
      if (i < 2 * fromMove - 2) continue;
      // The side that has just moved is the one not to move now.
      const bool moverWon = position.sideToMove == Black ? whiteWon : blackWon;
      const bool moverLost = position.sideToMove == Black ? blackWon : whiteWon;
      // At most one of the three holds: a game has one outcome.
      const bool counted = (drawing && draw) || (winning && moverWon) || (losing && moverLost);
      if (counted && !BookAdd(position, BookOccurrenceValue, true) && !full) {
        full = true;
        SetInfoText("Book Full!");
      }
    }
    ++games;
    if (games % 8 == 0) SetInfoText(std::to_string(games));
    if (progress) {
      progress->bytesRead = std::ftell(file);
      progress->gamesRead = games - 1;
      if (progress->cancel) {
        std::fclose(file);
        BookRestore(before.release());
        return BookBuildCancelled;
      }
    }
  }
  std::fclose(file);
  buffer.reset();
  if (progress && progress->newGame) progress->newGame();
  else StartNewGame(true);
  SetInfoText("Building opening book....");

  // Saving with the threshold turns counts met often enough into value 0 and leaves rarer
  // ones out; reading the file back into an empty book drops them from memory too.
  if (!BookSave(BookBuildTempFile, times)) {
    KeepOldBook(before.release());
    return games;
  }
  const long size = FileSize(BookBuildTempFile);
  BookCreate();
  if (size < 0 || size % static_cast<long>(BookRecordSize) != 0 || !BookLoad(BookBuildTempFile) ||
      openingBook.count != size / static_cast<long>(BookRecordSize)) {
    KeepOldBook(before.release());
    return games;
  }
  std::remove(BookBuildTempFile);
  SetInfoText("Finished Adding .PGN");
  return games;
}

} // namespace kestrin
