#include "ui/boardview.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "game/boardgeometry.h"
#include "game/boardmarks.h"
#include "game/controller.h"
#include "game/windowcommands.h"
#include "platform/settings.h"
#include "ui/pieces.h"

namespace kestrin {

namespace {

QColor ToColour(Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

} // namespace

BoardView::BoardView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(false);
}

void BoardView::SetSquareSize(int size) {
  if (size == squareSize) return;
  squareSize = size;
  update();
}

QPoint BoardView::SquareCentre(int file, int row) const {
  int x = 0, y = 0;
  SquareOrigin(file, row, squareSize, controller.boardFlipped != 0, x, y);
  return QPoint(x + squareSize / 2, y + squareSize / 2);
}

void BoardView::DrawFrame(QPainter& painter, int index, const QColor& colour, int thickness) {
  if (index < 0 || index > 63) return;
  int x = 0, y = 0;
  SquareOrigin(index % 8, index / 8, squareSize, controller.boardFlipped != 0, x, y);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  const int s = squareSize;
  painter.drawRect(x, y, s, thickness);
  painter.drawRect(x, y + s - thickness, s, thickness);
  painter.drawRect(x, y, thickness, s);
  painter.drawRect(x + s - thickness, y, thickness, s);
}

void BoardView::DrawTargets(QPainter& painter, const std::vector<int>& targets) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(ToColour(TargetMarkColour));
  const double radius = std::max(3.0, squareSize / 7.0);
  for (int index : targets) {
    int x = 0, y = 0;
    SquareOrigin(index % 8, index / 8, squareSize, controller.boardFlipped != 0, x, y);
    painter.drawEllipse(QPointF(x + squareSize / 2.0, y + squareSize / 2.0), radius, radius);
  }
  painter.restore();
}

void BoardView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToColour(MarginColour));
  const Position position = GamePositionNow();
  const bool flipped = controller.boardFlipped != 0;
  // The last move, whoever made it, is read from the record: it stays through a resize or a flip.
  const std::vector<int> lastMove = settings.highlightLastMove ? LastMoveSquares() : std::vector<int>();
  QColor lastMoveTint = ToColour(LastMoveTint);
  lastMoveTint.setAlpha(140); // light and dark squares stay apart under it
  for (int index = 0; index < 64; ++index) {
    const int file = index % 8, row = index / 8;
    int x = 0, y = 0;
    SquareOrigin(file, row, squareSize, flipped, x, y);
    const QRect square(x, y, squareSize, squareSize);
    painter.fillRect(square, ToColour(IsLightSquare(file, row) ? LightSquareColour : DarkSquareColour));
    if (std::find(lastMove.begin(), lastMove.end(), index) != lastMove.end())
      painter.fillRect(square, lastMoveTint);
    if (dragging && index == dragFrom) continue;
    DrawPiece(painter, square, position.board[SquareOf(file, row)]);
  }
  if (viewOptions.showCoordinates) {
    // Files along the bottom row, ranks along the left column, in the corner of their square.
    QFont small = font();
    small.setPixelSize(std::max(8, squareSize / 6));
    painter.setFont(small);
    for (int i = 0; i < 8; ++i) {
      int x = 0, y = 0;
      const int file = flipped ? 7 - i : i, row = flipped ? 0 : 7;
      SquareOrigin(file, row, squareSize, flipped, x, y);
      painter.setPen(ToColour(IsLightSquare(file, row) ? DarkSquareColour : LightSquareColour));
      painter.drawText(QRect(x, y, squareSize - 2, squareSize - 1), Qt::AlignRight | Qt::AlignBottom,
                       QString(QChar('a' + file)));
      const int rankRow = flipped ? 7 - i : i, leftFile = flipped ? 7 : 0;
      SquareOrigin(leftFile, rankRow, squareSize, flipped, x, y);
      painter.setPen(ToColour(IsLightSquare(leftFile, rankRow) ? DarkSquareColour : LightSquareColour));
      painter.drawText(QRect(x + 2, y + 1, squareSize, squareSize), Qt::AlignLeft | Qt::AlignTop,
                       QString(QChar('8' - rankRow)));
    }
  }
  for (int index : lastMove) DrawFrame(painter, index, Qt::black, 2);
  for (std::size_t i = 0; i < controller.bookFrames.size(); ++i) {
    const Rgb colour = BookFrameColour(static_cast<int>(i));
    DrawFrame(painter, controller.bookFrames[i].first, ToColour(colour), 2);
    DrawFrame(painter, controller.bookFrames[i].second, ToColour(colour), 2);
  }
  if (controller.selectedSquare < NoSelection) {
    DrawFrame(painter, controller.selectedSquare, Qt::white, 1);
    DrawTargets(painter, TargetSquares(position, controller.selectedSquare));
  }
  if (dragging && dragFrom >= 0) {
    const int code = position.board[SquareOf(dragFrom % 8, dragFrom / 8)];
    DrawPiece(painter, QRectF(dragPoint.x() - squareSize / 2.0, dragPoint.y() - squareSize / 2.0, squareSize, squareSize),
              code);
  }
  Q_EMIT Painted();
}

void BoardView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  window()->setFocus();
  int file = 0, row = 0;
  const QPoint point = event->position().toPoint();
  if (SquareAtPoint(point.x(), point.y(), squareSize, controller.boardFlipped != 0, file, row)) {
    ClickSquare(file, row);
    const int square = file + 8 * row;
    dragFrom = controller.selectedSquare == square ? square : -1;
    pressPoint = point;
  }
  update();
  Q_EMIT Clicked();
}

void BoardView::mouseMoveEvent(QMouseEvent* event) {
  if (dragFrom < 0 || !(event->buttons() & Qt::LeftButton)) return;
  dragPoint = event->position().toPoint();
  if (!dragging && (dragPoint - pressPoint).manhattanLength() < QApplication::startDragDistance()) return;
  dragging = true;
  update();
}

void BoardView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const bool dropped = dragging;
  const int from = dragFrom;
  dragging = false;
  dragFrom = -1;
  int file = 0, row = 0;
  const QPoint point = event->position().toPoint();
  // A drop on another square is the second click; anywhere else the man goes back.
  if (dropped && SquareAtPoint(point.x(), point.y(), squareSize, controller.boardFlipped != 0, file, row) &&
      file + 8 * row != from && controller.selectedSquare == from)
    ClickSquare(file, row);
  update();
  if (dropped) Q_EMIT Clicked();
}

} // namespace kestrin
