// Every line the engine mode writes to the interface: features, thinking, statistics,
// moves, results, resignation and draw offers.
#pragma once

#include <atomic>
#include <optional>
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
// A thinking line (with "post"): depth, score from the engine's side (White's as the search
// has it, 10000 or beyond a game-ending draw), time, nodes and the principal variation, or its
// first move alone marked "{++}". While analysing a stat01 line of the search as it stands
// follows, or with `nextMove` one of the next iteration about to start with that move.
void PostThinking(int depth, int score, long long hundredths, u32 nodes, bool firstMoveOnly,
                  std::optional<u16> nextMove = std::nullopt);
// "stat01" while analysing: time, nodes, depth, root moves left and in all, the one searched now.
void SendStat01();
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
