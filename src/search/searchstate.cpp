#include "search/searchstate.h"

#include <cstring>

namespace kestrin {

SearchState search;
std::atomic<int> AbortFlag{0};
std::atomic<int> EngineMode{0};

void ResetSearchState() {
  std::memset(&search.work, 0, sizeof search.work);
  std::memset(search.plies, 0, sizeof search.plies);
  std::memset(search.snapshots, 0, sizeof search.snapshots);
  std::memset(search.pvTable, 0, sizeof search.pvTable);
  search.nodeCount = 0;
  search.nextClockCheck = 100000;
  search.iterationDepth = 1;
  search.rootScore = 0;
  search.rootBestMove = NoMove16;
  search.rootBestChanged = 0;
  search.currentRootMove = NoMove16;
  search.rootMoveNumber = 1;
  search.rootMoveCount = 0;
  search.previousScore = 0;
  search.drawScore = 0;
  search.nullMoveDisabled = 0;
  search.maxTotalPly = 46;
  search.rootSide = White;
  search.searchOnly = 0;
  search.searchStart = 0;
  search.searchEnd = 0;
  search.iterationStart = 0;
  search.firstMoveSeconds = 0;
  search.targetSeconds = 10.0f;
  search.extraSeconds = 1.0f;
  AbortFlag = 0;
  EngineMode = 0;
}

} // namespace kestrin
