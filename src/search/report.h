// Whoever watches the engine think: the window's information line, an xboard interface's
// thinking and move lines, a UCI host's info and bestmove lines. The search tells one
// SearchReport what it found and asks it what the front end does itself; each front end
// installs its own when it starts (winboard/report.cpp, uci/session.cpp, game/searchinfo.cpp).
// The calls come from the engine thread.
#pragma once

#include "board/position.h"
#include "board/types.h"

namespace kestrin {

// A score the search has for the best root move so far. The time since the think started is
// the report's to read (ElapsedMilliseconds), when it shows it: the search reads the clock
// no more often for being watched.
struct ThinkingLine {
  int depth = 0;
  // White's point of view, as the search has it; 10000 or beyond is a game-ending draw.
  int score = 0;
  u32 nodes = 0;
  // A new best root move whose own line is not searched yet: only that move is known, not the
  // principal variation behind it (search.pvTable's row 1 holds what is known).
  bool firstMoveOnly = false;
  // The iteration is complete: the next one starts with `nextMove` as its first root move.
  bool iterationDone = false;
  u16 nextMove = 0;
};

// How a think ended, for its last report.
struct ThinkOutcome {
  int score = 0;          // as ThinkingLine's; 10000 when the move played drew the game
  int depth = 0;          // the depth the score comes from
  int iterationDepth = 0; // the iteration the think was in when it ended (one past `depth` unless stopped inside)
};

// The move a think played on the game.
struct PlayedMove {
  const Position& after; // the game position after it
  const u32* pv;         // search.pvTable's row 1: length, then the principal variation from the move on
  bool fromBook = false;
};

class SearchReport {
public:
  virtual ~SearchReport() = default;

  // What the front end does itself. The defaults are a game kept on the board without any
  // interface behind it, as the tests that only search have it.

  // The front end gives every move its time (the settings' time control is not used).
  virtual bool SetsMoveTime() const { return false; }
  // A move found early may be held back until its target time is up, when the settings ask so.
  virtual bool MayWaitOutTargetTime() const { return true; }
  // The board, the move list and the game-over boxes follow every move.
  virtual bool ShowsGame() const { return true; }
  // An opponent's move may arrive the moment this one is out: it then waits until the engine
  // thread is ready for it.
  virtual bool OpponentAnswersAtOnce() const { return false; }

  // What the search found and did.

  // A new best root move, or a finished iteration; search.pvTable's row 1 is its line.
  virtual void Thinking(const ThinkingLine&) {}
  // Between two readings of the clock while the search runs; `search` holds where it is.
  virtual void Searching() {}
  // A move is chosen, before the game position has it.
  virtual void MoveChosen(const ThinkOutcome&) {}
  // The move is on the game position.
  virtual void MovePlayed(const PlayedMove&) {}
  // After the engine's move the game goes on; `score` as ThinkOutcome's.
  virtual void GameGoesOn(int) {}
  // The game ended at `position`, after the engine's move or its opponent's.
  virtual void GameEnded(const Position&) {}
  // An analysis (a think that plays nothing) has ended.
  virtual void AnalysisEnded(const ThinkOutcome&) {}
};

// The engine of a chess interface: the interface keeps the clock and gives every move its time,
// a move goes out as soon as it is found, the window's board plays no part, and the interface
// answers the moment it has read the move.
class InterfaceReport : public SearchReport {
public:
  bool SetsMoveTime() const override { return true; }
  bool MayWaitOutTargetTime() const override { return false; }
  bool ShowsGame() const override { return false; }
  bool OpponentAnswersAtOnce() const override { return true; }
};

// Installs `report` (not owned; it must outlive its use), or the quiet one for nullptr. The
// quiet one shows nothing: bench, perft and tests that only search run with it.
void InstallSearchReport(SearchReport* report);
SearchReport& CurrentSearchReport();

} // namespace kestrin
