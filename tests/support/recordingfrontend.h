// A front end for tests: remembers everything the core showed or asked, answers as told.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/frontend.h"

namespace kestrin::test {

class RecordingFrontend : public Frontend {
public:
  void SetInfoText(std::string_view text) override { infoTexts.emplace_back(text); }
  void ShowMessage(std::string_view text, std::string_view caption) override {
    messages.emplace_back(std::string(text), std::string(caption));
  }
  bool AskYesNo(std::string_view text, std::string_view caption) override {
    questions.emplace_back(std::string(text), std::string(caption));
    return yesNoAnswer;
  }
  int AskPromotion() override {
    ++promotionQuestions;
    return promotionAnswer;
  }
  void RefreshBoard() override {}
  void RefreshPanel(bool) override {}
  void TranscriptChanged() override {}
  void Beep() override {}
  std::string ClipboardText() override { return clipboard; }
  void SetClipboardText(std::string_view text) override { clipboard.assign(text); }

  // The last information text, or "" when none was shown.
  std::string LastInfo() const { return infoTexts.empty() ? std::string() : infoTexts.back(); }

  std::vector<std::string> infoTexts;
  std::vector<std::pair<std::string, std::string>> messages;  // text, caption
  std::vector<std::pair<std::string, std::string>> questions; // text, caption
  bool yesNoAnswer = false;
  int promotionAnswer = 6, promotionQuestions = 0;
  std::string clipboard;
};

// Installs a fresh RecordingFrontend for its lifetime, then the quiet one again.
class RecordingScope {
public:
  RecordingScope() { InstallFrontend(&frontend); }
  ~RecordingScope() { InstallFrontend(nullptr); }
  RecordingFrontend* operator->() { return &frontend; }
  RecordingFrontend frontend;
};

} // namespace kestrin::test
