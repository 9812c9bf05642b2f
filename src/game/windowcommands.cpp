#include "game/windowcommands.h"

#include <string>

#include "book/book.h"
#include "game/clipboard.h"
#include "game/controller.h"
#include "game/takeback.h"
#include "notation/fen.h"
#include "platform/frontend.h"
#include "search/engine.h"

namespace kestrin {

ViewOptions viewOptions;

bool IsWindowCommand(int id) { return id >= command::TakeBack && id <= command::RemoveFromBook; }

bool ClipboardHoldsPosition() {
  const std::string text = CurrentFrontend().ClipboardText();
  Position position{};
  return ReadFen(text.c_str(), text.size(), position);
}

bool RunWindowCommand(int id) {
  if (!WindowCommandEnabled(id)) return false;
  switch (id) {
  case command::TakeBack: TakeBackMove(); return true;
  case command::Redo: RedoMove(); return true;
  case command::Paste: {
    const int positionFlag = ClipboardHoldsPosition() ? 1 : 0;
    WithEngineStopped([positionFlag] { PasteFromClipboard(positionFlag); });
    return true;
  }
  case command::Coordinates:
    viewOptions.showCoordinates = !viewOptions.showCoordinates;
    CurrentFrontend().RefreshBoard();
    return true;
  case command::ShortNotation:
    viewOptions.shortNotation = !viewOptions.shortNotation;
    CurrentFrontend().TranscriptChanged();
    return true;
  default: break;
  }
  if (id >= command::FirstBookValue && id <= command::RemoveFromBook) {
    if (EngineBusy == 1) return true; // the book is the search's while it thinks
    if (id == command::RemoveFromBook) BookRemove(GamePositionNow(), false);
    else BookAdd(GamePositionNow(), id - command::FirstBookValue - 2, false);
    return true;
  }
  return false; // the window's own dialogs
}

bool WindowCommandEnabled(int id) {
  const bool connected = netGame != 0;
  switch (id) {
  case command::TakeBack: return !connected && TakeBackPlies() > 0;
  case command::Redo: return !connected && RedoPlies() > 0;
  case command::Paste: return !connected;
  default: return IsWindowCommand(id);
  }
}

bool WindowCommandChecked(int id) {
  if (id == command::Coordinates) return viewOptions.showCoordinates != 0;
  if (id == command::ShortNotation) return viewOptions.shortNotation != 0;
  return false;
}

} // namespace kestrin
