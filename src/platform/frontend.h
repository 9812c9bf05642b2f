// Everything the core shows to or asks of the person in front of the program goes through
// one Frontend. The window implements it; the engine mode and the tests install others.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

namespace kestrin {

class Frontend {
public:
  virtual ~Frontend() = default;

  // The information line of the side panel.
  virtual void SetInfoText(std::string_view text) = 0;
  // A modal box with an OK button.
  virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;
  // A modal question answered with yes (true) or no.
  virtual bool AskYesNo(std::string_view text, std::string_view caption) = 0;
  // The "Pawn Promotion" box: 6 queen, 5 rook, 3 bishop or 4 knight.
  virtual int AskPromotion() = 0;
  // Requests to redraw the board, the side panel (full: clocks and labels too) and the move list.
  virtual void RefreshBoard() = 0;
  virtual void RefreshPanel(bool full) = 0;
  virtual void TranscriptChanged() = 0;
  virtual void Beep() = 0;
  virtual std::string ClipboardText() = 0;
  virtual void SetClipboardText(std::string_view text) = 0;
};

// The engine mode's front end: nothing is shown, questions get their harmless answer
// (no; a queen), and the clipboard is a private text.
class QuietFrontend : public Frontend {
public:
  void SetInfoText(std::string_view) override {}
  void ShowMessage(std::string_view, std::string_view) override {}
  bool AskYesNo(std::string_view, std::string_view) override { return false; }
  int AskPromotion() override;
  void RefreshBoard() override {}
  void RefreshPanel(bool) override {}
  void TranscriptChanged() override {}
  void Beep() override {}
  std::string ClipboardText() override;
  void SetClipboardText(std::string_view text) override;

private:
  std::mutex clipboardMutex;
  std::string clipboard;
};

// The front end in use; the quiet one until another is installed.
Frontend& CurrentFrontend();
// Installs `frontend` (not owned; it must outlive its use), or the quiet one for nullptr.
void InstallFrontend(Frontend* frontend);

// 1 while the program runs as an engine under the Winboard protocol: no boxes, no window updates.
extern std::atomic<int> WinboardMode;

// What the game files and the book builder ask of the engine when they replace the game on the
// board: they sit below the search and may not call it, so the engine thread
// (search/engine.cpp) fills these in as the program loads. Left empty, nothing runs there to stop.
// The engine in turn tells the layers above it of a move entered here through enteredMoveMade.
struct GameControl {
  // Stops the engine without playing a move and waits until it is idle.
  void (*stopEngine)() = nullptr;
  // A fresh game from the initial position (the engine stopped first); `show` announces it.
  void (*newGame)(bool show) = nullptr;
  // Called by the engine once a move entered here (HumanMoveEntered) is on the board, before the
  // game's end is judged: the network client (net/client.cpp) passes it on to a network opponent.
  void (*enteredMoveMade)() = nullptr;
};
GameControl& CurrentGameControl();
inline void StopEngineForGameChange() {
  if (CurrentGameControl().stopEngine) CurrentGameControl().stopEngine();
}

// Shorthands for the two calls nearly every module makes.
inline void SetInfoText(std::string_view text) { CurrentFrontend().SetInfoText(text); }
inline void ShowMessage(std::string_view text, std::string_view caption) {
  CurrentFrontend().ShowMessage(text, caption);
}

} // namespace kestrin
