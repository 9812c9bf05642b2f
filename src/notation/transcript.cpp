#include "notation/transcript.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "notation/history.h"
#include "platform/frontend.h"

namespace kestrin {

namespace {

// The engine thread adds its moves while the window thread draws the list.
std::mutex transcriptMutex;
std::vector<std::string> lines;
int selection = -1;

std::string Text(int ply) { return std::string(PlyText(gameHistory, ply)); }

std::string WhiteLine(int number, int ply) { return std::to_string(number) + ". " + Text(ply) + " "; }
std::string FullLine(int number, int ply) {
  return std::to_string(number) + ". " + Text(ply) + "  |  " + Text(ply + 1);
}

void Select(int line) {
  if (line < 0) line = 0;
  selection = line < static_cast<int>(lines.size()) ? line : -1;
}

void DeleteLine(int line) {
  if (line >= 0 && line < static_cast<int>(lines.size())) lines.erase(lines.begin() + line);
}

} // namespace

void AddTranscriptLine(int flag) {
  {
    std::lock_guard lock(transcriptMutex);
    const int ply = gamePosition.plyCount, move = ply / 2;
    const int count = static_cast<int>(lines.size());
    if (flag == 1) {
      if (gamePosition.sideToMove == Black && move - 1 >= count) {
        lines.push_back(WhiteLine(move, ply - 1));
      } else if (gamePosition.sideToMove == White && move >= count) {
        DeleteLine(move - 1);
        lines.push_back(FullLine(move, ply - 2));
      }
    }
    Select(move - 1);
  }
  CurrentFrontend().TranscriptChanged();
}

void RebuildTranscript(int n) {
  {
    std::lock_guard lock(transcriptMutex);
    lines.clear();
    // A record never holds more plies than its slots; larger requests stop there.
    const int last = n < HistorySlots ? n : HistorySlots;
    for (int i = 0; i < last; i += 2) lines.push_back(FullLine(i / 2 + 1, i + 1));
    if (n % 2 == 0 && n >= 0 && n < HistorySlots) lines.push_back(WhiteLine(n / 2 + 1, n + 1));
    Select(n / 2);
  }
  CurrentFrontend().TranscriptChanged();
}

void TrimTranscript() {
  if (WinboardMode.load()) return;
  {
    std::lock_guard lock(transcriptMutex);
    const int move = gamePosition.plyCount / 2;
    if (move - 2 < static_cast<int>(lines.size())) {
      while (static_cast<int>(lines.size()) > (move > 0 ? move : 0)) lines.pop_back();
      if (gamePosition.sideToMove == Black) DeleteLine(move - 1);
    }
    if (selection >= static_cast<int>(lines.size())) selection = -1;
  }
  CurrentFrontend().TranscriptChanged();
}

void ClearTranscript() {
  {
    std::lock_guard lock(transcriptMutex);
    lines.clear();
    selection = -1;
  }
  CurrentFrontend().TranscriptChanged();
}

std::vector<std::string> TranscriptLines() {
  std::lock_guard lock(transcriptMutex);
  return lines;
}

int TranscriptSelection() {
  std::lock_guard lock(transcriptMutex);
  return selection;
}

int TranscriptToText(const GameHistory* history, char* buffer, int bufferSize) {
  if (bufferSize <= 0) return 0;
  const GameHistory& record = history ? *history : gameHistory;
  const int count = HistoryCount(&record);
  int length = 0;
  buffer[0] = 0;
  // Each ply adds at most 14 characters ("300. ", seven of text, a blank, a line feed).
  for (int i = 0; i < count && length + 14 < bufferSize; ++i) {
    auto append = [&](const char* format, auto value) {
      int written = std::snprintf(buffer + length, static_cast<std::size_t>(bufferSize - length), format, value);
      if (written > 0) length = std::min(length + written, bufferSize - 1);
    };
    if (i % 2 == 0) append("%d. ", i / 2 + 1);
    append("%s ", std::string(PlyText(record, i + 1)).c_str());
    if (i % 2 == 1) append("%s", "\n");
  }
  return length;
}

} // namespace kestrin
