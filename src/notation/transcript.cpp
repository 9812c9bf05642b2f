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

std::string RecordMoveText(const GameHistory& record, std::size_t limit) {
  const int count = HistoryCount(&record);
  std::string text;
  for (int i = 0; i < count && text.size() < limit; ++i) {
    const std::string_view slot = PlyText(record, i + 1);
    if (i == 0 && slot.empty()) {
      // The game began with Black to move: its first number carries Black's move alone.
      text += "1... ";
      continue;
    }
    if (i % 2 == 0) text += std::to_string(i / 2 + 1) + ". ";
    text += slot;
    text += ' ';
    if (i % 2 == 1) text += '\n';
  }
  return text;
}

int TranscriptToText(const GameHistory* history, char* buffer, int bufferSize) {
  if (bufferSize <= 0) return 0;
  // Each ply adds at most 14 characters ("300. ", seven of text, a blank, a line feed).
  const int limit = bufferSize - 14;
  const std::string text = limit > 0 ? RecordMoveText(history ? *history : gameHistory, limit) : std::string();
  const int length = std::min(static_cast<int>(text.size()), bufferSize - 1);
  text.copy(buffer, static_cast<std::size_t>(length));
  buffer[length] = '\0';
  return length;
}

} // namespace kestrin
