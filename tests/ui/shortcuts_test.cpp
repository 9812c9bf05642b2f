// The window's keys: each shortcut on its menu command and on no other, and the browsing keys.
#include <QAction>
#include <QMenuBar>
#include <QSet>
#include <QTest>

#include "game/commands.h"
#include "game/controller.h"
#include "search/engine.h"
#include "ui/menus.h"
#include "ui/shortcuts.h"
#include "windowtest.h"

namespace kestrin::test {
namespace {

TEST_F(WindowTest, EachShortcutByItsKeySequence) {
  QSet<QString> taken;
  for (QAction* action : window->menuBar()->findChildren<QAction*>())
    for (const QKeySequence& key : action->shortcuts()) {
      EXPECT_FALSE(taken.contains(key.toString())) << "bound twice: " << key.toString().toStdString();
      taken.insert(key.toString());
    }
  for (const Shortcut& shortcut : ShortcutTable()) {
    ASSERT_FALSE(shortcut.keys.isEmpty()) << shortcut.id;
    EXPECT_EQ(window->MenuItems()->Action(shortcut.id)->shortcuts(), shortcut.keys) << shortcut.id;
  }
  for (auto standard : {QKeySequence::New, QKeySequence::Open, QKeySequence::Save, QKeySequence::Undo,
                        QKeySequence::Redo, QKeySequence::Copy, QKeySequence::Paste})
    EXPECT_TRUE(taken.contains(QKeySequence(standard).toString())) << standard;
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  HumanSide = 3;
  QTest::keySequence(window.get(), QKeySequence("Ctrl+F"));
  EXPECT_EQ(controller.boardFlipped, 1);
  Move(4, 6, 4, 4);
  Move(4, 1, 4, 3);
  const struct { Qt::Key key; int ply; } browsing[] = {{Qt::Key_Left, 2}, {Qt::Key_Home, 1}, {Qt::Key_Right, 2}, {Qt::Key_End, 3}};
  for (const auto& b : browsing) {
    QTest::keyClick(window.get(), b.key);
    EXPECT_EQ(Ply(), b.ply) << b.key;
  }
}

} // namespace
} // namespace kestrin::test
