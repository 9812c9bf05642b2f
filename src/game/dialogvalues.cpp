#include "game/dialogvalues.h"

namespace kestrin {

namespace {

constexpr long long NumberLimit = 1000000000;

long long Clamp(long long value, long long low, long long high) { return value < low ? low : value > high ? high : value; }

} // namespace

long long ParseDialogNumber(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  const bool negative = at < text.size() && text[at] == '-';
  if (negative) ++at;
  long long value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
    value = value >= NumberLimit ? NumberLimit : value * 10 + (text[at] - '0');
  value = Clamp(value, 0, NumberLimit);
  return negative ? -value : value;
}

int ClampTimeControl(long long value) { return static_cast<int>(Clamp(value, 0, MaxTimeControlValue)); }

int ClampRating(long long value) { return static_cast<int>(Clamp(value, 0, MaxRating)); }

std::string CleanPlayerName(const std::string& name) {
  std::string clean;
  for (std::size_t at = 0; at < name.size();) {
    const unsigned char lead = static_cast<unsigned char>(name[at]);
    // A character is kept whole or not at all (several bytes in UTF-8).
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (at + length > name.size()) length = name.size() - at;
    if (lead >= 32 && lead != 127) {
      if (clean.size() + length > static_cast<std::size_t>(MaxPlayerNameLength)) break;
      clean.append(name, at, length);
    }
    at += length;
  }
  return clean;
}

} // namespace kestrin
