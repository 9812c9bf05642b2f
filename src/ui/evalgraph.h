// The evaluation graph below the move list: the engine's score of the position after each
// move of the game, from White's point of view, joined by lines; a move without a score leaves
// a gap. A click on a point goes to that move.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

namespace kestrin {

class EvalGraph : public QWidget {
  Q_OBJECT
public:
  // `go` gets the move (1 the first) a click chose.
  EvalGraph(QWidget* parent, std::function<void(int)> go);

  // The scores of the record's moves, and the move the board shows (0 for the start).
  void SetScores(std::vector<std::optional<int>> scores, int current);
  const std::vector<std::optional<int>>& Points() const { return points; }
  // Where move `move` (1 the first) is drawn, with its score or on the middle line.
  QPoint PointOf(int move) const;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  std::vector<std::optional<int>> points;
  int current = 0;
  std::function<void(int)> go;
};

} // namespace kestrin
