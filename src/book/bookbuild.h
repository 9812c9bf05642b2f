// Building book positions from the games of a PGN file: positions of a move range met often
// enough on the chosen sides become value-0 entries.
#pragma once

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

// Counts the positions of moves `fromMove`..`upToMove` of at most `maxGames` games and keeps
// those met `times` times or more with value 0; the rest of the book is kept. Starts a new
// game. Returns the number of games read plus 1, or 0 when the file cannot be opened. When
// the counted book cannot be saved and read back, the book stays as it was before and the
// user is told.
int BuildBookFromPgn(const char* fileName, int maxGames, int fromMove, int upToMove, int times, int sides);
// The same with the current settings.
int BuildBookFromPgn(const char* fileName);

} // namespace kestrin
