#include "ui/pieces.h"

#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include "board/types.h"

namespace kestrin {

namespace {

// Outlines live in a 100 x 100 box.
QPolygonF Polygon(std::initializer_list<QPointF> points) { return QPolygonF(QList<QPointF>(points)); }

QPainterPath Base() {
  QPainterPath path;
  path.addRoundedRect(QRectF(24, 80, 52, 9), 3, 3);
  return path;
}

QPainterPath PawnOutline() {
  QPainterPath path = Base();
  QPainterPath body;
  body.moveTo(32, 80);
  body.cubicTo(34, 62, 42, 56, 43, 44);
  body.lineTo(57, 44);
  body.cubicTo(58, 56, 66, 62, 68, 80);
  body.closeSubpath();
  path = path.united(body);
  path.addEllipse(QPointF(50, 32), 13, 13);
  return path.simplified();
}

QPainterPath RookOutline() {
  QPainterPath path = Base();
  path.addPolygon(Polygon({{31, 80}, {34, 42}, {66, 42}, {69, 80}}));
  path.addPolygon(Polygon({{27, 20}, {37, 20}, {37, 29}, {45, 29}, {45, 20}, {55, 20}, {55, 29}, {63, 29},
                           {63, 20}, {73, 20}, {73, 42}, {27, 42}}));
  return path.simplified();
}

QPainterPath BishopOutline() {
  QPainterPath path = Base();
  path.addRect(QRectF(36, 70, 28, 10));
  QPainterPath mitre;
  mitre.moveTo(50, 20);
  mitre.cubicTo(70, 34, 68, 60, 60, 70);
  mitre.lineTo(40, 70);
  mitre.cubicTo(32, 60, 30, 34, 50, 20);
  path = path.united(mitre);
  path.addEllipse(QPointF(50, 15), 6, 6);
  return path.simplified();
}

QPainterPath KnightOutline() {
  QPainterPath path = Base();
  path.addPolygon(Polygon({{30, 80}, {72, 80}, {70, 62}, {66, 42}, {60, 28}, {52, 20}, {48, 11}, {43, 19},
                           {34, 25}, {22, 42}, {19, 53}, {25, 59}, {33, 53}, {43, 49}, {45, 57}, {34, 68}}));
  return path.simplified();
}

QPainterPath QueenOutline() {
  QPainterPath path = Base();
  path.addPolygon(Polygon({{28, 80}, {16, 32}, {34, 56}, {32, 22}, {44, 50}, {50, 16}, {56, 50}, {68, 22},
                           {66, 56}, {84, 32}, {72, 80}}));
  for (QPointF tip : {QPointF(16, 30), QPointF(32, 20), QPointF(50, 14), QPointF(68, 20), QPointF(84, 30)})
    path.addEllipse(tip, 5, 5);
  return path.simplified();
}

QPainterPath KingOutline() {
  QPainterPath path = Base();
  path.addPolygon(Polygon({{30, 80}, {22, 44}, {38, 50}, {50, 36}, {62, 50}, {78, 44}, {70, 80}}));
  path.addRect(QRectF(46, 8, 8, 32));
  path.addRect(QRectF(39, 14, 22, 8));
  return path.simplified();
}

QPainterPath Outline(int type) {
  switch (type) {
  case Pawn: return PawnOutline();
  case Bishop: return BishopOutline();
  case Knight: return KnightOutline();
  case Rook: return RookOutline();
  case Queen: return QueenOutline();
  default: return KingOutline();
  }
}

// The small marks inside a man: the bishop's slit, the knight's eye, bands.
void DrawDetails(QPainter& painter, int type, const QColor& colour) {
  QPen pen(colour, 3, Qt::SolidLine, Qt::RoundCap);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  switch (type) {
  case Bishop: painter.drawLine(QPointF(56, 34), QPointF(47, 47)); break;
  case Knight:
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(42, 30), 2.5, 2.5);
    break;
  case Rook: painter.drawLine(QPointF(33, 48), QPointF(67, 48)); break;
  case Queen:
  case King: painter.drawLine(QPointF(30, 72), QPointF(70, 72)); break;
  default: break;
  }
}

} // namespace

void DrawPiece(QPainter& painter, const QRectF& square, int code) {
  const int type = code & 7;
  if (type < Pawn || type > King || code >= 16) return;
  const bool black = code >= BlackOffset;
  static const QPainterPath outlines[8] = {{}, {}, Outline(Pawn), Outline(Bishop), Outline(Knight),
                                           Outline(Rook), Outline(Queen), Outline(King)};
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(square.topLeft());
  painter.scale(square.width() / 100.0, square.height() / 100.0);
  painter.setPen(QPen(black ? QColor(8, 8, 8) : QColor(30, 30, 30), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(black ? QColor(34, 34, 38) : QColor(248, 245, 236));
  painter.drawPath(outlines[type]);
  DrawDetails(painter, type, black ? QColor(210, 210, 210) : QColor(30, 30, 30));
  painter.restore();
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) {
    QPixmap pixmap(size, size);
    pixmap.fill(QColor(192, 192, 192));
    QPainter painter(&pixmap);
    DrawPiece(painter, QRectF(0, 0, size, size), WhiteKnight);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

} // namespace kestrin
