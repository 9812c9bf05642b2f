// The side panel in the real window: it widens with the window, uses the desktop's fonts,
// hides material lines with nothing in them and cuts long names with a tooltip.
#include <QFontDatabase>
#include <QTest>

#include "game/boardgeometry.h"
#include "platform/settings.h"
#include "ui/boardview.h"
#include "ui/sidepanel.h"
#include "windowtest.h"

namespace kestrin::test {
namespace {

TEST_F(WindowTest, PanelFitsTheWindow) {
  SidePanel* panel = window->Panel();
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  const QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  for (const auto& [name, font] : {std::pair{"moveList", fixed}, {"whiteRemaining", fixed}, {"info", general}}) {
    const QWidget* widget = panel->findChild<QWidget*>(name);
    EXPECT_TRUE(widget->font().family() == font.family() && widget->font().pointSizeF() == font.pointSizeF()) << name;
  }

  const int narrow = panel->width();
  EXPECT_GE(narrow, PanelWidth);
  window->resize(window->size() + QSize(150, 0));
  ASSERT_TRUE(WaitUntil([&] { return panel->width() > narrow; }, 2000)) << "the panel stays " << narrow;
  const QWidget* client = panel->parentWidget();
  EXPECT_EQ(panel->geometry().right(), client->width() - 1);
  EXPECT_GE(panel->x(), 2 * BoardMargin + 8 * window->Board()->SquareSize()) << "the panel covers the board";

  const struct { const char* fen; const char* shown; } materials[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", ""},
      {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", "White:1R"},
      {"4k3/pp6/8/8/8/8/8/R3K3 w - - 0 1", "White:1R\nBlack:2p"},
  };
  for (const auto& c : materials) {
    SetUpPosition(c.fen);
    EXPECT_EQ(Text("material"), c.shown) << c.fen;
    EXPECT_EQ(panel->findChild<QLabel*>("material")->isVisible(), c.shown[0] != 0) << c.fen;
  }

  for (const std::string name : {"Ann", "Konstantinopoulos-Wilhelmina Alexandr"}) {
    settings.playerName = name;
    window->UpdatePanel(true);
    QTest::qWait(20);
    auto* label = panel->findChild<ElidingLabel*>("whiteName");
    const bool cut = name.size() > 10;
    EXPECT_EQ(label->text().toStdString(), name);
    EXPECT_EQ(label->ShownText().endsWith(QChar(0x2026)), cut) << label->ShownText().toStdString();
    EXPECT_EQ(label->toolTip().toStdString(), cut ? name : "");
  }
}

} // namespace
} // namespace kestrin::test
