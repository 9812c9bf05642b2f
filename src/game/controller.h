// The window game's controller: who moves next, the engine's start and stop, the modes, the
// browsing through the game and every menu command that needs no dialog. It runs on the
// window thread; the window calls it and redraws what the front end is told to redraw.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "board/position.h"
#include "net/client.h" // netGame

namespace kestrin {

// The engine's name on the player labels.
constexpr const char* EngineLabel = "Kestrin Chess";

// selectedSquare values besides a square 0..63 (file + 8 x row, row 0 is rank 8).
constexpr int NoSelection = 66;
constexpr int JustMoved = 67;

struct ControllerState {
  int boardFlipped = 0;            // Black at the bottom
  int selectedSquare = NoSelection;
  int levelItem = 160;             // the checked depth item of the Level menu
  int experiment = 0;              // check mark of "Experiment"
  // The game position as the window last took note of it.
  Position known{};
  bool engineMoveAwaited = false; // the engine said it moved before its move reached the board
  // From- and to-squares (0..63, or -1) of the book moves framed by the book button, in list order.
  std::vector<std::pair<int, int>> bookFrames;
};
extern ControllerState controller;

void ResetController();

// The labels rule: the names above the clocks for a mode.
struct PlayerLabels {
  std::string white;
  std::string black;
};
PlayerLabels LabelsFor(int humanSide, const std::string& playerName);

// Runs the menu command `id` when it needs no dialog; false for the ones the window asks
// about first (files, dialogs, window size, exit) and for commands not offered.
bool RunCommand(int id);
// The Internet menu: whether a command can be chosen now, and running the ones that need no
// dialog (false for the others).
bool NetCommandEnabled(int id);
bool RunNetCommand(int id);

// The mode commands: 1 the computer plays Black, 2 White, 3 nobody, 4 both.
void SetMode(int humanSide);
// The side panel's "Start/Stop": the computer takes the side to move, or moves at once.
void StartStop();
// What the engine was doing when it was stopped.
struct EngineStop {
  bool interrupted = false; // it was searching, pondering or analysing
  bool analysing = false;
};
// Stops the engine without playing and waits for it; ResumeEngine takes up afterwards what it
// was doing: the analysis again, or, when it is then the computer's turn, the computer's move
// (an engine that was idle stays idle).
// Every command that interrupts the engine goes through these two, so that a computer whose
// search was stopped always moves.
EngineStop StopEngine();
void ResumeEngine(const EngineStop& stopped);
// Stops the engine around work that must not overlap a search (a new table, a cleared table,
// another book) and resumes it afterwards.
void WithEngineStopped(const std::function<void()>& work);

// The browsing buttons of the side panel (ids 103, 105, 125, 126, 106, 104) and a click on
// line `line` of the move list. Ignored (false) while the engine searches.
bool Browse(int button);
bool SelectMoveLine(int line);
// A click on the evaluation graph: the position after move `move` of the record (1 the first).
bool GoToMove(int move);

// A click on the square at file 0..7 and row 0..7 from the top (in White's view). Returns 1
// when it completed a move. The promotion question is asked through the front end.
int ClickSquare(int file, int row);

// Keys of the main window: "1".."6" set or remove the position's book value; "L", "K", "C"
// and "V" stand for commands, whose id is returned (0: nothing to run).
int MainWindowKey(char key);

// The side panel's book button: frames the book moves of the game position.
void ShowBookMoves();

// The window's notes of who changed the board: the computer (its squares are framed) or this
// thread (frames go).
void BoardChangedByEngine();
void BoardChangedHere();
// Drops the last-move and book-move frames (the window was resized).
void ClearFrames();
// Squares (0..63) whose contents differ between the two positions.
std::vector<int> ChangedSquares(const Position& a, const Position& b);

// The game position, copied under the game lock.
Position GamePositionNow();

} // namespace kestrin
