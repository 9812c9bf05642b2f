// The side panel in the real window widens with the window, beside the board.
#include <QTest>

#include "game/boardgeometry.h"
#include "ui/boardview.h"
#include "ui/sidepanel.h"
#include "windowtest.h"

namespace kestrin::test {
namespace {

TEST_F(WindowTest, PanelFitsTheWindow) {
  SidePanel* panel = window->Panel();
  const int narrow = panel->width();
  EXPECT_GE(narrow, PanelWidth);
  window->resize(window->size() + QSize(150, 0));
  ASSERT_TRUE(WaitUntil([&] { return panel->width() > narrow; }, 2000)) << "the panel stays " << narrow;
  const QWidget* client = panel->parentWidget();
  EXPECT_EQ(panel->geometry().right(), client->width() - 1);
  EXPECT_GE(panel->x(), 2 * BoardMargin + 8 * window->Board()->SquareSize()) << "the panel covers the board";
}

} // namespace
} // namespace kestrin::test
