#include "winboard/report.h"

#include "search/searchstate.h"
#include "search/think.h"
#include "winboard/output.h"

namespace kestrin {

namespace {

class Xboard : public InterfaceReport {
public:
  void Thinking(const ThinkingLine& line) override {
    PostThinking(line.depth, line.score, ElapsedHundredths(), line.nodes, line.firstMoveOnly,
                 line.iterationDone ? std::optional<u16>(line.nextMove) : std::nullopt);
  }
  // The line the move comes from.
  void MoveChosen(const ThinkOutcome& outcome) override {
    PostThinking(outcome.depth, outcome.score, ElapsedHundredths(), search.nodeCount, false);
  }
  void MovePlayed(const PlayedMove&) override { SendMove(); }
  void GameGoesOn(int score) override { ResignOrOfferDraw(score); }
  void GameEnded(const Position& position) override { ReportResult(position); }
};

} // namespace

SearchReport& XboardReport() {
  static Xboard report;
  return report;
}

} // namespace kestrin
