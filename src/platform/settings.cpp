#include "platform/settings.h"

#include <cstdio>
#include <cstring>

#include "platform/regularfile.h"
#include "platform/safewrite.h"

namespace kestrin {

Settings settings;

namespace {

constexpr std::size_t SettingsFileLimit = 4096;

// A text line of at most 38 characters with its last character (normally the line feed) removed.
bool ReadTextLine(std::FILE* file, std::string& out) {
  char buffer[PlayerNameSize + 1];
  if (!std::fgets(buffer, sizeof buffer, file)) return false;
  std::size_t length = std::strlen(buffer);
  if (length > 0) buffer[length - 1] = 0;
  out = buffer;
  return true;
}

bool ReadNumber(std::FILE* file, int& value) {
  int read = 0;
  if (std::fscanf(file, "%d\n", &read) != 1) return false;
  value = read;
  return true;
}

int Flag(int value, int fallback) { return value == 0 || value == 1 ? value : fallback; }

void Sanitise(Settings& s) {
  const Settings defaults;
  if (s.hashSizeExponent < 19 || s.hashSizeExponent > 24) s.hashSizeExponent = defaults.hashSizeExponent;
  if (s.gameMinutes < 0 || s.gameMinutes > 100000) s.gameMinutes = defaults.gameMinutes;
  if (s.secondsPerMove < 0 || s.secondsPerMove > 100000) s.secondsPerMove = defaults.secondsPerMove;
  if (s.eloRating < 0 || s.eloRating > 10000) s.eloRating = defaults.eloRating;
  s.ponderEnabled = Flag(s.ponderEnabled, defaults.ponderEnabled);
  s.showSearchInfo = Flag(s.showSearchInfo, defaults.showSearchInfo);
  s.highlightLastMove = Flag(s.highlightLastMove, defaults.highlightLastMove);
  s.whitePovEvals = Flag(s.whitePovEvals, defaults.whitePovEvals);
}

} // namespace

void ResetSettings() { settings = Settings(); }

void ReadSettings(const char* fileName) {
  // Thirteen short lines; anything much larger is no settings file.
  std::string text;
  if (!ReadRegularFile(fileName, SettingsFileLimit, text) || text.empty()) return;
  // A file written with Windows line ends reads as one written with plain ones.
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
  std::FILE* file = fmemopen(text.data(), text.size(), "r");
  if (!file) return;
  Settings s = settings;
  if (ReadTextLine(file, s.playerName) && ReadTextLine(file, s.connectAddress)) {
    int* numbers[11] = {&s.gameMinutes,    &s.secondsPerMove, &s.reservedPly,       &s.eloRating,
                        &s.ponderEnabled,  &s.showSearchInfo, &s.hashSizeExponent,  &s.reservedFlag,
                        &s.highlightLastMove, &s.whitePovEvals, &s.reservedZero};
    for (int* number : numbers)
      if (!ReadNumber(file, *number)) break;
  }
  std::fclose(file);
  Sanitise(s);
  settings = s;
}

bool WriteSettings(const char* fileName) {
  const Settings& s = settings;
  char text[512];
  int length = std::snprintf(text, sizeof text, "%s\n%s\n%d\n%d\n%d\n%d\n%d\n%d\n%d\n%d\n%d\n%d\n%d\n",
                             s.playerName.c_str(), s.connectAddress.c_str(), s.gameMinutes, s.secondsPerMove,
                             s.reservedPly, s.eloRating, s.ponderEnabled, s.showSearchInfo, s.hashSizeExponent,
                             s.reservedFlag, s.highlightLastMove, s.whitePovEvals, s.reservedZero);
  if (length < 0 || length >= static_cast<int>(sizeof text)) return false;
  return WriteFileReplacing(fileName, text, static_cast<std::size_t>(length));
}

} // namespace kestrin
