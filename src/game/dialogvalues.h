// What the window's dialogs accept: numbers typed into their fields, names and ratings.
#pragma once

#include <string>

namespace kestrin {

// The settings file keeps a name of at most this many characters (its line reader drops the last of 38).
constexpr int MaxPlayerNameLength = 37;
constexpr int MaxTimeControlValue = 100000;
constexpr int MaxRating = 10000;

// A number field's text as a number: an empty field reads 0, anything after the digits is
// ignored, and numbers beyond a billion in size stop there.
long long ParseDialogNumber(const std::string& text);
// The time control's minutes and seconds per move: 0 .. MaxTimeControlValue.
int ClampTimeControl(long long value);
int ClampRating(long long value);
// The player's name as the settings file can keep it: line breaks and control characters
// dropped, at most MaxPlayerNameLength characters.
std::string CleanPlayerName(const std::string& name);

} // namespace kestrin
