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
#include "board/legality.h"
#include "board/movegen.h"
#include "book/book.h"
#include "book/bookbuild.h"
#include "notation/movetext.h"

namespace kestrin {

namespace {

// Random legal games whose first moves are drawn from few choices, so that games share their
// openings as the games of a real collection do.
bool WriteRandomGames(const std::string& name, int games, std::mt19937& random) {
  std::FILE* file = std::fopen(name.c_str(), "w");
  if (!file) return false;
  static const char* const results[3] = {"1-0", "0-1", "1/2-1/2"};
  std::string text;
  for (int g = 0; g < games; ++g) {
    const char* result = results[random() % 3];
    text = "[Event \"Bench\"]\n[Round \"" + std::to_string(g + 1) + "\"]\n[Result \"" + result + "\"]\n\n";
    Position p;
    SetStartPosition(p);
    const int plies = 40 + static_cast<int>(random() % 80);
    for (int ply = 0; ply < plies; ++ply) {
      MoveList list;
      GenerateMoves(p.sideToMove, p, list);
      Move legal[QuietBase + QuietCapacity];
      int count = 0;
      ForEachMove(list, [&](Move m) {
        if (IsLegalMove(p, m, p.sideToMove)) legal[count++] = m;
      });
      if (count == 0) break;
      const int choices = ply < 8 ? (count < 3 ? count : 3) : count;
      const Move move = legal[random() % choices];
      char slot[MoveTextSlotSize];
      FormatMoveText(slot, p, move);
      if (ply % 2 == 0) text += std::to_string(ply / 2 + 1) + ". ";
      text.append(slot, 6);
      text += ply % 2 ? "\n" : " ";
      MoveUndo undo;
      MakeMove(p, move, undo, Queen);
    }
    text += std::string(" ") + result + "\n\n";
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) break;
  }
  return std::fclose(file) == 0;
}

} // namespace

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
