// The user's settings kept in "Kchess.dft": thirteen text lines, read at start-up and
// written back when the window program exits.
#pragma once

#include <string>

namespace kestrin {

constexpr int PlayerNameSize = 38; // the reader keeps at most 37 characters

struct Settings {
  std::string playerName = "Human";
  std::string connectAddress = "127.0.0.1";
  int gameMinutes = 5;
  int secondsPerMove = 5;
  int reservedPly = 28;
  int eloRating = 0;
  int ponderEnabled = 0;
  int showSearchInfo = 1;
  int hashSizeExponent = 21;
  int reservedFlag = 1;
  int highlightLastMove = 1;
  int whitePovEvals = 1;
  int reservedZero = 0;
};
extern Settings settings;

constexpr const char* SettingsFileName = "Kchess.dft";

void ResetSettings();
// Reads the file (a missing one, or anything but a small regular file, leaves everything as it
// is; Windows line ends are read as plain ones); values a user could not have
// chosen (a table size beyond the menu, a negative time control) fall back to their defaults.
void ReadSettings(const char* fileName = SettingsFileName);
// Writes all thirteen fields, replacing the file only once it is written whole.
bool WriteSettings(const char* fileName = SettingsFileName);

} // namespace kestrin
