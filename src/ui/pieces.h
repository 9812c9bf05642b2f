// The chessmen, drawn from vector outlines of our own at whatever size a square has.
#pragma once

#include <QIcon>
#include <QPainter>
#include <QRectF>

namespace kestrin {

// Draws the man with piece code `code` (2..7 White, 10..15 Black) filling `square`.
void DrawPiece(QPainter& painter, const QRectF& square, int code);

// The program's icon: a white knight on a light square.
QIcon ProgramIcon();

} // namespace kestrin
