// The evaluation graph in the real window: its points are the scores the engine showed for
// its own moves and for an analysis (whose final figures stay when it is stopped), moves without
// a score leave gaps, a click goes to a move.
#include <QTest>
#include <optional>

#include "game/commands.h"
#include "game/controller.h"
#include "search/engine.h"
#include "support/legalmoves.h"
#include "ui/evalgraph.h"
#include "ui/sidepanel.h"
#include "windowtest.h"

namespace kestrin::test {
namespace {

// The score of the information line's "Eval: 0.25" in centipawns.
std::optional<int> ShownEval(const QString& info) {
  if (!info.startsWith("Eval: ")) return std::nullopt;
  bool ok = false;
  const double pawns = info.mid(6).section(' ', 0, 0).section('\n', 0, 0).toDouble(&ok);
  return ok ? std::optional<int>(static_cast<int>(std::lround(pawns * 100))) : std::nullopt;
}

TEST_F(WindowTest, GraphPointsAreTheScoresOfTheMoves) {
  SetUpPosition("r1bqkbnr/1ppp1ppp/p1n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 0 4");
  HumanSide = 1; // the computer answers, outside the book
  EvalGraph* graph = window->Panel()->Graph();
  std::vector<std::optional<int>> expected;
  auto playFirstLegal = [this] {
    const kestrin::Move move = LegalMoves(GamePositionNow()).back();
    const int from = MoveFrom(move) - 22, to = MoveTo(move) - 22;
    Move(from % 10, from / 10, to % 10, to / 10);
  };
  playFirstLegal();
  ASSERT_TRUE(WaitForPly(3));
  ASSERT_TRUE(WaitUntil([this] { return ShownEval(window->Panel()->Info()).has_value(); }, 5000))
      << window->Panel()->Info().toStdString();
  expected.push_back(std::nullopt); // the player's move
  expected.push_back(ShownEval(window->Panel()->Info()));
  EXPECT_TRUE(WaitUntil([&] { return graph->Points() == expected; }, 2000));

  // An analysis of the position after a player's move scores that move.
  HumanSide = 3;
  playFirstLegal();
  ASSERT_TRUE(WaitForPly(4));
  Trigger(command::Analyze);
  ASSERT_TRUE(WaitUntil([&] {
    return window->Panel()->Info().contains("analyzing...") && graph->Points().size() == 3 && graph->Points()[2];
  }, 10000));
  Trigger(command::Analyze);
  ASSERT_TRUE(WaitUntil([] { return EngineBusy == 0; }));
  // Anything the engine still had to say has arrived: the stopped analysis keeps its final figures.
  QTest::qWait(200);
  const QString stopped = window->Panel()->Info();
  ASSERT_TRUE(ShownEval(stopped) && !stopped.contains("analyzing...")) << stopped.toStdString();
  expected.push_back(ShownEval(stopped));
  EXPECT_TRUE(WaitUntil([&] { return graph->Points() == expected; }, 2000));

  for (int move : {2, 3, 1}) {
    QTest::mouseClick(graph, Qt::LeftButton, {}, graph->PointOf(move));
    EXPECT_EQ(Ply(), 1 + move) << "clicked move " << move;
  }
}

} // namespace
} // namespace kestrin::test
