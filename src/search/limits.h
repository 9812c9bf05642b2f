// What the user may limit or switch in the engine, with its defaults, and the rules of the
// "Search Params" dialog. Written by menus, dialogs and protocol commands on the main
// thread while the engine thread reads them, hence atomics.
#pragma once

#include <atomic>

#include "board/types.h"

namespace kestrin {

struct SearchSettings {
  std::atomic<i32> maxPly{28};           // the last iteration of the driver
  std::atomic<i32> maxSecondsPerMove{0}; // 0: time from the time control, else the fixed target per move
  std::atomic<u32> maxNodes{0};          // 0: no limit; kilonodes x 1000 otherwise
  std::atomic<i32> waitFlag{0};          // after a search that ended early, wait out the target time
  std::atomic<i32> timeMinutes{5};       // the time control: minutes for the game ...
  std::atomic<i32> timeIncrement{5};     // ... and seconds added per move made
  std::atomic<i32> ponderEnabled{0};
  std::atomic<i32> showSearchInfo{1};
  std::atomic<i32> hashSizeExponent{21}; // the table has 2^(n-1) buckets
  std::atomic<i32> hashingOn{1};         // off: nothing probed or stored, the contents stay
};
extern SearchSettings searchSettings;

// Puts every setting back to its default.
void ResetSearchSettings();
// Puts the settings file's values in force: time control, ponder, search information, table
// size, evaluation point of view.
void ApplySettings();

// The fields of the "Search Params" dialog as entered, and as shown when it opens.
struct SearchParamsValues {
  long long maxPly;
  long long maxSecondsPerMove;
  long long kiloNodes;
  bool wait;
};
SearchParamsValues CurrentSearchParams();

struct SearchParamsOutcome {
  i32 maxPly;
  i32 maxSecondsPerMove;
  u32 maxNodes;
  i32 waitFlag;
  bool secondsReset; // "Seconds set to 0" was shown
  bool plyRaised;    // "Max ply set to 1" was shown
};
// The dialog's OK: corrects what is out of range (telling the user), stores the result.
SearchParamsOutcome ApplySearchParams(const SearchParamsValues& entered);

} // namespace kestrin
