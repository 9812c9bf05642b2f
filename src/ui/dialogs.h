// The modal dialogs of the window: the promotion question, the time control, the search
// limits and the player's data. Each runs to its end and puts its result in force.
#pragma once

#include <QWidget>

namespace kestrin {

// "Pawn Promotion": 6 queen, 5 rook, 3 bishop, 4 knight (a queen when closed without a choice).
int AskPromotionPiece(QWidget* parent);
// "Game Time": the time control; the settings take the time control in force either way.
void RunGameTimeDialog(QWidget* parent);
// "Search Params": depth, seconds and kilonodes per move, the wait flag. True on OK.
bool RunSearchParamsDialog(QWidget* parent);
// "Player Information": the player's name and rating.
void RunPlayerInfoDialog(QWidget* parent);

} // namespace kestrin
