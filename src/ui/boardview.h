// The board: squares, men and frames drawn at the current square size; clicks and drags
// become moves through the controller.
#pragma once

#include <QPoint>
#include <QWidget>
#include <vector>

namespace kestrin {

class BoardView : public QWidget {
  Q_OBJECT
public:
  explicit BoardView(QWidget* parent);

  void SetSquareSize(int size);
  int SquareSize() const { return squareSize; }
  // The centre of a square (file 0..7 from a, row 0..7 from rank 8) on screen, for tests and tools.
  QPoint SquareCentre(int file, int row) const;

Q_SIGNALS:
  // A click or drop was handled (the window refreshes its focus and menus).
  void Clicked();
  // The board has been drawn.
  void Painted();

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  void DrawFrame(class QPainter& painter, int index, const QColor& colour, int thickness);
  // A dot on each square the chosen man may go to.
  void DrawTargets(class QPainter& painter, const std::vector<int>& targets);

  int squareSize = 64;
  int dragFrom = -1;   // the square a drag may start from (the piece just selected)
  bool dragging = false;
  QPoint pressPoint;
  QPoint dragPoint;
};

} // namespace kestrin
