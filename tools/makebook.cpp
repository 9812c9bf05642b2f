// Builds the default opening book from our opening lines with the program's own book builder.
// Usage: makebook LINES.pgn OUTPUT.kcb
//
// Every move of every line must play: a line that stops early would quietly leave a hole in the
// book, so any move that does not fit fails the build with the game and the move named.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "board/randomkeys.h"
#include "board/tables.h"
#include "book/book.h"
#include "book/bookbuild.h"
#include "notation/history.h"
#include "notation/newgame.h"
#include "notation/pgn.h"
#include "platform/frontend.h"

namespace {

using namespace kestrin;

// Passes the builder's texts to the console; boxes and "Book Full!" mean the build failed.
class ConsoleFrontend : public QuietFrontend {
public:
  void SetInfoText(std::string_view text) override {
    if (text == "Book Full!") failed = true;
    lastInfo.assign(text);
  }
  void ShowMessage(std::string_view text, std::string_view caption) override {
    std::fprintf(stderr, "makebook: %.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()), text.data());
    failed = true;
  }
  bool failed = false;
  std::string lastInfo;
};

bool IsResultMark(const std::string& token) { return token.find_first_not_of("012/-*") == std::string::npos; }

// Replays every line and names each move that does not fit. Returns the number of lines, or -1.
int CheckLines(const char* name) {
  std::FILE* file = std::fopen(name, "r");
  if (!file) {
    std::fprintf(stderr, "makebook: cannot open %s\n", name);
    return -1;
  }
  std::vector<char> buffer(PgnBufferSize);
  PgnGameInfo info;
  int games = 0, faults = 0;
  for (int more = 1; more == 1;) {
    more = ReadPgnGame(buffer.data(), file, info);
    ++games;
    ResetGameRecord();
    std::vector<std::string> dropped;
    int played = PlayMoveTextBlock(buffer.data(), &dropped);
    for (const std::string& token : dropped) {
      if (IsResultMark(token)) continue;
      std::fprintf(stderr, "%s: game %d: move \"%s\" does not fit after %d plies\n", name, games, token.c_str(),
                   played);
      ++faults;
    }
    if (played == 0 && more == 1) {
      std::fprintf(stderr, "%s: game %d has no moves\n", name, games);
      ++faults;
    }
  }
  std::fclose(file);
  return faults ? -1 : games;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: makebook LINES.pgn OUTPUT.kcb\n");
    return 2;
  }
  InitBoardTables();
  InitHashKeys();
  ConsoleFrontend console;
  InstallFrontend(&console);

  const int lines = CheckLines(argv[1]);
  if (lines < 0) {
    std::fprintf(stderr, "makebook: %s has moves that do not play; no book written\n", argv[1]);
    return 1;
  }
  // Every position of every line, whatever its result, counted once per line and kept.
  BookCreate();
  const int counter = BuildBookFromPgn(argv[1], 1 << 30, 1, 30, 1, BookSideWinning | BookSideDrawing | BookSideLosing);
  if (counter - 1 != lines || console.failed || openingBook.count == 0) {
    std::fprintf(stderr, "makebook: building from %s failed\n", argv[1]);
    return 1;
  }
  std::filesystem::path output = std::filesystem::absolute(argv[2]);
  if (!BookSave(output.string().c_str(), 0) || console.failed) {
    std::fprintf(stderr, "makebook: cannot write %s\n", output.string().c_str());
    return 1;
  }
  std::printf("makebook: %d lines, %d positions in %s\n", lines, openingBook.count, output.filename().string().c_str());
  return 0;
}
