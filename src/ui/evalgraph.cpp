#include "ui/evalgraph.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace kestrin {

namespace {

constexpr int GraphHeight = 70;
constexpr int Inset = 4;          // pixels kept free at each edge
constexpr int ScoreRange = 500;   // centipawns at the top and bottom edge; beyond is drawn at the edge

} // namespace

EvalGraph::EvalGraph(QWidget* parent, std::function<void(int)> go) : QWidget(parent), go(std::move(go)) {
  setObjectName("evalGraph");
  setFixedHeight(GraphHeight);
  setToolTip("The engine's score after each move, from White's point of view; click a point to go there");
}

void EvalGraph::SetScores(std::vector<std::optional<int>> scores, int shown) {
  if (scores == points && shown == current) return;
  points = std::move(scores);
  current = shown;
  update();
}

QPoint EvalGraph::PointOf(int move) const {
  const int count = std::max<int>(1, static_cast<int>(points.size()));
  const double step = (width() - 2.0 * Inset) / count;
  const double x = Inset + (move - 0.5) * step;
  int score = 0;
  if (move >= 1 && move <= static_cast<int>(points.size()) && points[move - 1]) score = *points[move - 1];
  const double clamped = std::clamp(score, -ScoreRange, ScoreRange) / double(ScoreRange);
  const double middle = height() / 2.0, half = height() / 2.0 - Inset;
  return QPoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(middle - clamped * half)));
}

void EvalGraph::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Base));
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.drawLine(Inset, height() / 2, width() - Inset, height() / 2);
  if (current >= 1 && current <= static_cast<int>(points.size())) {
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DashLine));
    const int x = PointOf(current).x();
    painter.drawLine(x, 1, x, height() - 2);
  }
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor line = palette().color(QPalette::Text);
  painter.setPen(QPen(line, 1.5));
  // Lines join neighbouring scored moves only: a move without a score breaks the curve.
  for (std::size_t k = 1; k < points.size(); ++k)
    if (points[k - 1] && points[k]) painter.drawLine(PointOf(static_cast<int>(k)), PointOf(static_cast<int>(k + 1)));
  painter.setPen(Qt::NoPen);
  for (std::size_t k = 0; k < points.size(); ++k) {
    if (!points[k]) continue;
    painter.setBrush(*points[k] >= 0 ? QColor(Qt::white) : QColor(Qt::black));
    painter.setPen(QPen(line, 1));
    painter.drawEllipse(QPointF(PointOf(static_cast<int>(k + 1))), 2.5, 2.5);
  }
}

void EvalGraph::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || points.empty()) return;
  const int x = event->position().toPoint().x();
  int nearest = 1;
  for (int move = 1; move <= static_cast<int>(points.size()); ++move)
    if (std::abs(PointOf(move).x() - x) < std::abs(PointOf(nearest).x() - x)) nearest = move;
  go(nearest);
}

} // namespace kestrin
