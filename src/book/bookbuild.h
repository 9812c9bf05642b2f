// Building book positions from the games of a PGN file: positions of a move range met often
// enough on the chosen sides become value-0 entries.
#pragma once

#include <atomic>
#include <functional>

namespace kestrin {

// The sides a build counts positions from.
constexpr int BookSideWinning = 1;
constexpr int BookSideDrawing = 2;
constexpr int BookSideLosing = 4;

// The temporary file a build saves the counted book to and reads it back from.
extern const char* const BookBuildTempFile;

// The book dialog's settings, kept while the program runs.
struct BookBuildSettings {
  int fromMove = 1;     // 1..30
  int upToMove = 10;    // 1..30
  int maxGames = 50000;
  int times = 1;        // at least 1: how often a position must occur
  int winning = 1;
  int drawing = 1;
  int losing = 0;
};
extern BookBuildSettings bookBuildSettings;

// Stores `wanted` as the settings with the dialog's limits applied.
void SetBookBuildSettings(const BookBuildSettings& wanted);
void ResetBookBuildSettings();
int BookBuildSides(const BookBuildSettings& settings);

// A build run away from the window: how far it has come, the request to stop it, and the
// new game that ends the replay, which the window runs on its own thread.
struct BookBuildProgress {
  std::atomic<long long> fileBytes{0}; // the file's size, set when the build opens it
  std::atomic<long long> bytesRead{0};
  std::atomic<int> gamesRead{0};
  std::atomic<bool> cancel{false};
  std::function<void()> newGame;     // empty: the build starts the new game itself
};
// The value a cancelled build returns; the book is then as it was before.
constexpr int BookBuildCancelled = -1;

// Counts the positions of moves `fromMove`..`upToMove` of at most `maxGames` games and keeps
// those met `times` times or more with value 0; the rest of the book is kept. Starts a new
// game. Returns the number of games read plus 1, or 0 when the file cannot be opened. When
// the counted book cannot be saved and read back, the book stays as it was before and the
// user is told.
// The games are replayed on a position of the build's own: the game on the board stays until
// the replay is over. With `progress` the build reports and can be stopped.
int BuildBookFromPgn(const char* fileName, int maxGames, int fromMove, int upToMove, int times, int sides,
                     BookBuildProgress* progress = nullptr);
// The same with the current settings.
int BuildBookFromPgn(const char* fileName, BookBuildProgress* progress = nullptr);

} // namespace kestrin
