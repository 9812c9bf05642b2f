// The search's own state: the working position, per-ply records and snapshots, the
// principal-variation rows, the counters and the values the driver sets for one think.
// Everything is allocated once, at start-up; nothing is allocated while searching.
#pragma once

#include <atomic>

#include "board/movegen.h"
#include "board/position.h"

namespace kestrin {

constexpr int SearchPlies = 51;     // plies 0..50
constexpr int QuiescenceLimit = 50; // quiescence levels stop here
constexpr int AbortScore = 31000;
constexpr int NoScoreWhite = -19999; // White's best before any move
constexpr int MateValue = 9999;
constexpr int MateThreshold = 9900;

// Principal-variation entries: a move's low 16 bits plus flags, or a marker.
constexpr u32 PvCaptureFlag = 0x10000;
constexpr u32 PvCheckFlag = 0x40000;
constexpr u32 PvDraw = 252;
constexpr u32 PvTableValue = 253;
constexpr u32 PvNoMove = 254;
constexpr u32 PvMate = 255;

struct SearchPly {
  MoveList list;
  u32 replyLimit;    // frontier rule: 1 or 2, written by the parent
  u32 lastMoveClass; // class of the move being searched from this ply
};

// Values shared with the protocol thread (the "." status line reads some of them) are atomics
// written only by the engine thread with relaxed stores, so they cost no more than plain ones.
template <typename T>
struct Shared {
  std::atomic<T> value{};
  T Get() const { return value.load(std::memory_order_relaxed); }
  void Set(T v) { value.store(v, std::memory_order_relaxed); }
  operator T() const { return Get(); }
  Shared& operator=(T v) {
    Set(v);
    return *this;
  }
  Shared& operator=(const Shared& other) {
    Set(other.Get());
    return *this;
  }
};

struct SearchState {
  Position work;
  Position root; // the position of the current iteration, before any move
  SearchPly plies[SearchPlies];
  Position snapshots[SearchPlies]; // only the tail after the board is used
  u32 pvTable[SearchPlies][SearchPlies]; // [ply][0] length, [ply][1..] entries

  Shared<u32> nodeCount;
  u32 nextClockCheck = 100000;
  Shared<int> iterationDepth;
  Shared<int> rootScore;
  Shared<u16> rootBestMove;
  Shared<int> rootBestChanged;
  Shared<u16> currentRootMove;
  Shared<int> rootMoveNumber;
  Shared<int> rootMoveCount; // legal moves in ply 1's ordered list, for the displays
  Shared<int> previousScore;
  int drawScore = 0;
  int nullMoveDisabled = 0;
  int maxTotalPly = 46;
  int rootSide = White;
  int searchOnly = 0;
  Shared<long long> searchStart; // clock readings in ms
  long long searchEnd = 0;
  long long iterationStart = 0;
  float firstMoveSeconds = 0;
  Shared<float> targetSeconds;
  Shared<float> extraSeconds;
};

extern SearchState search;

// Engine control, written by the window or protocol thread and read at every node.
extern std::atomic<int> AbortFlag;  // 0 run, 1 stop and play, 3 stop without playing
extern std::atomic<int> EngineMode; // 0 normal, 1 pondering or analysing, 2 ponder hit, 3 ponder miss

// Puts the search state back to its start-up values (tests start from here).
void ResetSearchState();

} // namespace kestrin
