// The engine thread: every search, ponder and analysis runs on it. The window thread (or the
// protocol loop) hands it work through two events and a few shared flags.
#pragma once

#include <atomic>
#include <mutex>

#include "board/position.h"
#include "platform/events.h"

namespace kestrin {

extern AutoResetEvent GoEvent;      // wakes the engine thread
extern ManualResetEvent ReadyEvent; // set while the opponent's side may change the game position

extern std::atomic<int> EngineBusy;     // 0 idle, 1 searching or analysing, 2 pondering
extern std::atomic<int> AnalyseRequest; // 1: the next wake-up is for analysis
// 1 the human plays White, 2 Black, 3 the engine moves for neither side, 4 for both.
extern std::atomic<int> HumanSide;
extern Position PonderPosition; // the predicted position while pondering
// The predicted move pondered on, from-square | to-square << 8 (the king's squares for
// castling); -1 while not pondering.
extern std::atomic<int> PonderMove;

// Guards the game position and the main record while one thread copies or changes them.
// Held only around those copies, never during a search.
std::mutex& GameMutex();
// The game position as it stands now, copied under the game lock.
Position GameSnapshot();
// The ply of the position the game started from (odd: White began), read under the game lock.
int StartPly();

// Starts the engine thread (once); StopEngineThread ends it, for an orderly exit and for tests.
void StartEngineThread();
void StopEngineThread();

// kind 0: a move, if it is the engine's turn; kind 1: analysis of the game position.
void StartEngine(int kind);
// Whether the game goes on and the computer has the side to move.
bool EnginesTurn();
// Applies the opponent's move (squares as EnterHumanMove takes them) to the game position.
// Returns 1 when it was legal and made.
int HumanMoveEntered(int fromFile, int fromRow, int toFile, int toRow, int pieceCode);
// A fresh game from the initial position: the engine is stopped without playing and waited
// for, the record and clocks are emptied; with `show` the window announces it.
void NewGame(bool show);
// Polls EngineBusy every 50 ms until the engine is idle; with `moveNow` the running search
// is told to play its move at once before each wait.
void WaitForEngine(bool moveNow = false);

} // namespace kestrin
