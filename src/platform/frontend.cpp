#include "platform/frontend.h"

namespace kestrin {

std::atomic<int> WinboardMode{0};

namespace {

QuietFrontend quietFrontend;
std::atomic<Frontend*> installedFrontend{nullptr};

} // namespace

int QuietFrontend::AskPromotion() { return 6; }

std::string QuietFrontend::ClipboardText() {
  std::lock_guard lock(clipboardMutex);
  return clipboard;
}

void QuietFrontend::SetClipboardText(std::string_view text) {
  std::lock_guard lock(clipboardMutex);
  clipboard.assign(text);
}

Frontend& CurrentFrontend() {
  Frontend* frontend = installedFrontend.load(std::memory_order_acquire);
  return frontend ? *frontend : quietFrontend;
}

void InstallFrontend(Frontend* frontend) { installedFrontend.store(frontend, std::memory_order_release); }

GameControl& CurrentGameControl() {
  static GameControl control;
  return control;
}

} // namespace kestrin
