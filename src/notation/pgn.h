// PGN game files: the game in progress written out with its tags, games read back one at a
// time into the game record, and the stepping through the games of a file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "board/position.h"
#include "board/types.h"

namespace kestrin {

struct GameHistory;

// One game's move text holds at most this many characters; so does a stored tag line.
constexpr int PgnTextLimit = 50000;
constexpr int PgnBufferSize = PgnTextLimit + 1;

// What the reader keeps of a game's tags; longer values are cut to fit their fields.
struct PgnGameInfo {
  char white[128];
  char black[128];
  char event[128];
  char result[32];
  char timeControl[64];
  char fen[256];
  i32 currentPly; // -1 when the tag is absent
};

// The engine's name in game files (its trailing blank belongs to it).
extern const char* const PgnEngineName;

// Who played the game and under which time control, as the writer names them.
struct PgnPlayers {
  std::string playerName = "Human";
  int eloRating = 0;   // 0: no rating tag
  int humanSide = 1;   // 1 the human has White, 2 Black, 3 two players, 4 the engine plays both
  int timeMinutes = 5; // game time in minutes and seconds, and seconds added per move
  int timeSeconds = 0;
  int timeIncrement = 5;
  // A network game names its players from the connection and has its own time control.
  int netGame = 0;
  std::string netWhiteName{};
  std::string netBlackName{};
  int netMinutes = 5;
  int netSeconds = 5;
};

// Writes the game in progress (main record, startPosition, game position's ply) in the form
// every PGN reader takes: the seven standard tags first, standard move text ending in the
// result of `resultCode` (1 "1-0", 2 "0-1", 3 "1/2-1/2", else "*"). `append` 1 adds it to the
// end of the file; otherwise the file is replaced whole. Returns 1, or 0 after saying why not.
// The players come from the caller: the writer does not know the front end that runs the game
// (game/pgnplayers.h names the players of the game on the board).
int SavePgnGame(int resultCode, const char* fileName, int append, const PgnPlayers& players);

// Reads the next game of `file`: its tags into `info`, its move text into `buffer` (at least
// PgnBufferSize characters). Returns 1 when another game follows, else 0.
int ReadPgnGame(char* buffer, std::FILE* file, PgnGameInfo& info);

// Replaces the game with game `gameNumber` of the file (the last one when the file holds
// fewer), set to its "Current Ply" when it has one; with `showInformation` 1 its tags are
// shown. Returns the number of the game loaded, or 0 when the file cannot be opened or holds
// no game (no known tag, no move that fits: the game stays and the information line says so).
int LoadPgnGame(const char* fileName, int gameNumber, int showInformation);

// Plays and records, on the game position and in the main record, every move of a PGN move
// text (move numbers, comments, variations and glyphs are passed over; moves that do not fit
// are dropped). Returns the number of moves played; the texts of dropped tokens are added to
// `dropped` when given (result marks among them).
int PlayMoveTextBlock(const char* text, std::vector<std::string>* dropped = nullptr);
// The same on `position`, recording in `history` (nullptr: the main record).
int PlayMoveTextBlock(const char* text, Position& position, GameHistory* history,
                      std::vector<std::string>* dropped = nullptr);

// The file the window steps through and the number of the game shown from it.
extern std::string pgnFileName;
extern int pgnGameIndex;
// Loads game 1 of `fileName` with its information; on success the file becomes the one
// stepped through. Returns the number loaded, 0 when the file cannot be opened.
int LoadFirstPgnGame(const char* fileName);
// The next and previous game of that file (never before game 1); when the file can no longer
// be read the index goes back to 1 and the game stays. Return the new index.
int LoadNextPgnGame();
int LoadPreviousPgnGame();

} // namespace kestrin
