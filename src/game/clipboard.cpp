#include "game/clipboard.h"

#include <memory>
#include <mutex>
#include <string>

#include "board/gameend.h"
#include "game/pgnplayers.h"
#include "notation/fen.h"
#include "notation/history.h"
#include "notation/pgn.h"
#include "notation/transcript.h"
#include "platform/frontend.h"
#include "search/engine.h"

namespace kestrin {

const char* const ClipboardGameFile = "clipboard.pgn";
const char* const UndoPasteGameFile = "undopaste.pgn";

namespace {

Position GamePositionLocked() {
  std::lock_guard<std::mutex> lock(GameMutex());
  return gamePosition;
}

void Redraw() {
  CurrentFrontend().RefreshBoard();
  CurrentFrontend().RefreshPanel(true);
}

// Whether any move of `text` fits, tried on a scratch game so that the real one stays as it is.
bool HoldsAMove(const char* text) {
  auto scratch = std::make_unique<GameHistory>();
  ClearHistory(scratch.get());
  Position position{};
  SetStartPosition(position);
  return PlayMoveTextBlock(text, position, scratch.get()) > 0;
}

} // namespace

void CopyToClipboard(int positionFlag) {
  std::string text;
  if (positionFlag == 1) {
    char fen[FenBufferSize];
    text.assign(fen, static_cast<std::size_t>(PositionToFen(fen, GamePositionLocked())));
  } else {
    text.resize(ClipboardTextLimit);
    text.resize(static_cast<std::size_t>(TranscriptToText(nullptr, text.data(), ClipboardTextLimit)));
  }
  CurrentFrontend().SetClipboardText(text);
}

int PasteFromClipboard(int positionFlag) {
  const std::string text = CurrentFrontend().ClipboardText();
  if (text.empty()) return 0;
  if (positionFlag == 1) {
    const int pasted = PositionFromFen(text.c_str(), text.size());
    if (pasted) Redraw();
    return pasted;
  }
  if (!HoldsAMove(text.c_str())) return 0;
  NewGame(false);
  PlayMoveTextBlock(text.c_str());
  RebuildTranscript(GamePositionLocked().plyCount - 2);
  AddTranscriptLine(0);
  Redraw();
  return 1;
}

// A game that is over goes with its result: "*" after a mate is a contradiction other
// programs refuse or warn about.
int CopyGameState() {
  const int state = gameState;
  return SavePgnGame(state >= WhiteWon && state <= GameDrawn ? state : 0, ClipboardGameFile, 0);
}

int PasteGameState() {
  if (!SavePgnGame(0, UndoPasteGameFile, 0)) return 0;
  if (LoadPgnGame(ClipboardGameFile, 1, 0) != 1) return 0;
  Redraw();
  return 1;
}

int UndoPasteGameState() {
  if (LoadPgnGame(UndoPasteGameFile, 1, 0) != 1) return 0;
  Redraw();
  return 1;
}

} // namespace kestrin
