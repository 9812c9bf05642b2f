#include "ui/menus.h"

#include <QActionGroup>
#include <QMenu>

#include "game/commands.h"
#include "ui/shortcuts.h"

namespace kestrin {

Menus::Menus(QMenuBar* bar, std::function<void(int)> run) {
  QMenu* menu = nullptr;
  QActionGroup* group = nullptr;
  QString title;
  for (const MenuItem& item : MenuTable()) {
    if (!menu || title != item.menu) {
      title = item.menu;
      menu = bar->addMenu(title);
      group = nullptr;
    }
    if (!item.text) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(QString::fromUtf8(item.text));
    action->setData(item.id);
    action->setCheckable(item.checkable);
    action->setEnabled(item.available);
    if (item.radio) {
      if (!group) group = new QActionGroup(menu);
      group->addAction(action);
    }
    // A command listed twice ("&New", "&Restart") answers its keys once.
    if (!Action(item.id)) action->setShortcuts(ShortcutsOf(item.id));
    const int id = item.id;
    QObject::connect(action, &QAction::triggered, action, [run, id] { run(id); });
    actions.append(action);
  }
  Refresh();
}

void Menus::Refresh() {
  for (QAction* action : actions) {
    const int id = action->data().toInt();
    action->setEnabled(MenuEnabled(id));
    if (action->isCheckable()) action->setChecked(MenuChecked(id));
  }
}

QAction* Menus::Action(int id) const {
  for (QAction* action : actions)
    if (action->data().toInt() == id) return action;
  return nullptr;
}

} // namespace kestrin
