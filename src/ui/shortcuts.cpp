#include "ui/shortcuts.h"

#include "game/commands.h"
#include "game/windowcommands.h"

namespace kestrin {

namespace {

QList<QKeySequence> Standard(QKeySequence::StandardKey key) { return QKeySequence::keyBindings(key); }

// `more` after `keys`, each key once (a platform's standard list may already hold it).
QList<QKeySequence> Keys(std::initializer_list<const char*> texts, QList<QKeySequence> keys = {}) {
  for (const char* text : texts)
    if (!keys.contains(QKeySequence(QString::fromLatin1(text)))) keys.append(QKeySequence(QString::fromLatin1(text)));
  return keys;
}

QString MenuText(int id) {
  for (const MenuItem& item : MenuTable())
    if (item.text && item.id == id) return QString::fromUtf8(item.text).remove('&');
  return {};
}

} // namespace

const std::vector<Shortcut>& ShortcutTable() {
  static const std::vector<Shortcut> table = [] {
    std::vector<Shortcut> rows = {
        {command::New, Standard(QKeySequence::New)},
        {command::LoadPgn, Standard(QKeySequence::Open)},
        {command::AppendGame, Standard(QKeySequence::Save)},
        {command::Exit, Standard(QKeySequence::Quit)},
        {command::TakeBack, Standard(QKeySequence::Undo)},
        {command::Redo, Keys({"Ctrl+Shift+Z", "Ctrl+Y"}, Standard(QKeySequence::Redo))},
        {command::CopyTranscript, Standard(QKeySequence::Copy)},
        {command::Paste, Standard(QKeySequence::Paste)},
        {command::Flip, Keys({"Ctrl+F"})},
        // The classic bare keys that replace the game or edit the book, with Ctrl.
        {command::CopyGameState, Keys({"Ctrl+Shift+C"})},
        {command::PasteGameState, Keys({"Ctrl+Shift+V"})},
    };
    for (int i = 0; i < 6; ++i)
      rows.push_back({command::FirstBookValue + i, {QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i))}});
    // Quit has no standard key on some desktops.
    if (rows[3].keys.isEmpty()) rows[3].keys = Keys({"Ctrl+Q"});
    return rows;
  }();
  return table;
}

QList<QKeySequence> ShortcutsOf(int id) {
  for (const Shortcut& shortcut : ShortcutTable())
    if (shortcut.id == id) return shortcut.keys;
  return {};
}

int BrowseButtonForKey(int key) {
  switch (key) {
  case Qt::Key_Home: return 103;
  case Qt::Key_Left: return 125;
  case Qt::Key_Right: return 126;
  case Qt::Key_End: return 104;
  default: return 0;
  }
}

QString ShortcutSummary() {
  QString text;
  for (const Shortcut& shortcut : ShortcutTable()) {
    QStringList keys;
    for (const QKeySequence& key : shortcut.keys) keys << key.toString(QKeySequence::NativeText);
    text += keys.join(", ") + "\t" + MenuText(shortcut.id) + "\n";
  }
  text += "Left, Right\tOne move back or forward\nHome, End\tThe start or the end of the game\n"
          "L, K\tNext or previous game of the PGN file\n";
  return text;
}

} // namespace kestrin
