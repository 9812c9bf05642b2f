// kestrin-engine bookbench [GAMES]: writes a PGN file of random games to a scratch directory,
// builds book positions from it with the book dialog's start settings and prints the rate.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

#include "app/commands.h"
#include "book/book.h"
#include "book/bookbuild.h"
#include "book/randomgames.h"

namespace kestrin {

int RunBookBenchCommand(int argc, char** argv) {
  long games = 10000;
  if (argc > 0) {
    char* end = nullptr;
    games = std::strtol(argv[0], &end, 10);
    if (*argv[0] == 0 || *end != 0 || games < 1 || games > 1000000) {
      std::fprintf(stderr, "bookbench: the number of games must be from 1 to 1000000\n");
      return 2;
    }
  }
  // The build writes its temporary file into the working directory: a scratch one.
  char pattern[] = "/tmp/kestrin-bookbench-XXXXXX";
  if (!mkdtemp(pattern)) {
    std::fprintf(stderr, "bookbench: cannot make a scratch directory in /tmp\n");
    return 1;
  }
  const std::filesystem::path scratch = pattern, home = std::filesystem::current_path();
  std::filesystem::current_path(scratch);
  std::mt19937 random(12345);
  int status = 0;
  if (!WriteRandomGames("games.pgn", static_cast<int>(games), random)) {
    std::fprintf(stderr, "bookbench: cannot write %s/games.pgn\n", pattern);
    status = 1;
  } else {
    const double megabytes = static_cast<double>(std::filesystem::file_size("games.pgn")) / (1 << 20);
    BookCreate();
    ResetBookBuildSettings();
    BookBuildSettings settings = bookBuildSettings;
    settings.maxGames = static_cast<int>(games);
    SetBookBuildSettings(settings);
    auto start = std::chrono::steady_clock::now();
    const int counter = BuildBookFromPgn("games.pgn");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Games: %d (%.1f MB of PGN), moves %d to %d\nPositions in book: %d (chain entries used: %d)\n"
                "Time: %.3f s\nGames per second: %.0f\n",
                counter - 1, megabytes, bookBuildSettings.fromMove, bookBuildSettings.upToMove, openingBook.count,
                openingBook.poolUsed, seconds, seconds > 0 ? (counter - 1) / seconds : 0.0);
  }
  std::error_code ignored;
  std::filesystem::current_path(home, ignored);
  std::filesystem::remove_all(scratch, ignored);
  return status;
}

} // namespace kestrin
