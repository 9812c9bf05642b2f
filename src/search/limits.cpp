#include "search/limits.h"

#include <cstdint>

#include "platform/frontend.h"
#include "platform/settings.h"
#include "search/output.h"

namespace kestrin {

SearchSettings searchSettings;

namespace {

i32 ToInt(long long value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<i32>(value);
}

} // namespace

void ResetSearchSettings() {
  const SearchSettings defaults;
  searchSettings.maxPly = defaults.maxPly.load();
  searchSettings.maxSecondsPerMove = defaults.maxSecondsPerMove.load();
  searchSettings.maxNodes = defaults.maxNodes.load();
  searchSettings.waitFlag = defaults.waitFlag.load();
  searchSettings.timeMinutes = defaults.timeMinutes.load();
  searchSettings.timeIncrement = defaults.timeIncrement.load();
  searchSettings.ponderEnabled = defaults.ponderEnabled.load();
  searchSettings.showSearchInfo = defaults.showSearchInfo.load();
  searchSettings.hashSizeExponent = defaults.hashSizeExponent.load();
  searchSettings.hashingOn = defaults.hashingOn.load();
}

SearchParamsValues CurrentSearchParams() {
  return {searchSettings.maxPly.load(), searchSettings.maxSecondsPerMove.load(), searchSettings.maxNodes.load() / 1000,
          searchSettings.waitFlag.load() != 0};
}

SearchParamsOutcome ApplySearchParams(const SearchParamsValues& entered) {
  SearchParamsOutcome out{};
  out.maxPly = ToInt(entered.maxPly);
  out.maxSecondsPerMove = ToInt(entered.maxSecondsPerMove);
  if (out.maxSecondsPerMove < 0) {
    ShowMessage("Seconds set to 0", "Out of Range");
    out.maxSecondsPerMove = 0;
    out.secondsReset = true;
  }
  // No upper bound: the search never goes beyond its per-ply records whatever is asked.
  if (out.maxPly < 1) {
    ShowMessage("Max ply set to 1", "Out of Range");
    out.maxPly = 1;
    out.plyRaised = true;
  }
  // A node count beyond what the counter can hold means no practical limit, not a wrapped small one.
  long long kiloNodes = entered.kiloNodes < 0 ? 0 : entered.kiloNodes;
  out.maxNodes = kiloNodes > UINT32_MAX / 1000 ? UINT32_MAX : static_cast<u32>(kiloNodes * 1000);
  out.waitFlag = entered.wait ? 1 : 0;
  searchSettings.maxPly = out.maxPly;
  searchSettings.maxSecondsPerMove = out.maxSecondsPerMove;
  searchSettings.maxNodes = out.maxNodes;
  searchSettings.waitFlag = out.waitFlag;
  return out;
}

void ApplySettings() {
  searchSettings.timeMinutes = settings.gameMinutes;
  searchSettings.timeIncrement = settings.secondsPerMove;
  searchSettings.ponderEnabled = settings.ponderEnabled;
  searchSettings.showSearchInfo = settings.showSearchInfo;
  searchSettings.hashSizeExponent = settings.hashSizeExponent;
  EvalsFromWhitePov = settings.whitePovEvals;
}

} // namespace kestrin
