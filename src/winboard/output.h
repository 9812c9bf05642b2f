// Every line the engine mode writes to the interface: features, thinking, statistics,
// moves, results, resignation and draw offers.
#pragma once

#include <atomic>
#include <string_view>

#include "board/position.h"
#include "search/searchstate.h"

namespace kestrin {

// Where protocol lines go: standard output, flushed after every line, unless a test installs
// its own writer (nullptr restores standard output). Lines from both threads never interleave.
using ProtocolWriter = void (*)(std::string_view line);
void SetProtocolWriter(ProtocolWriter writer);
void SendLine(std::string_view line);

// 1 while the interface has the engine analysing.
extern std::atomic<int> WinboardAnalysing;

void SendFeatures();
void PostThinking(int depth, int score, long long hundredths, u32 nodes, bool withPv, bool firstMoveOnly,
                  bool withStat);
void SendStat01(int next);
void SendMove();
void ReportResult(const Position& position);
void ResignOrOfferDraw(int score);
// The resign and draw counters and the draw-acceptance flag. The engine thread sets the
// flag after its move while the protocol thread may read it for an offer.
struct DrawState {
  int losingCount = 0;
  int drawishCount = 0;
  int notBetterCount = 0;
  Shared<int> acceptDraw;
};
extern DrawState drawState;

// The engine's name in the feature line, trailing blank included.
constexpr const char* EngineName = "KestrinChess 2.82a ";

} // namespace kestrin
