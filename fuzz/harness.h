// What the harnesses share: the engine's start-up without its files, a scratch folder as the
// working directory (the readers write "WinboardGames.pgn" and the like there), and input
// written to a file for the readers that take a file name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrin::fuzz {

// Tables, keys, a small transposition table, an empty book; with `engineThread` the engine
// thread too, protocol output silenced. Once per process.
void StartEngine(bool engineThread);

// Writes the input to `name` in the scratch folder and returns its path.
std::string WriteInput(const std::uint8_t* data, std::size_t size, const char* name);

// Calls f(line) for each line of the input (without its line feed).
template <typename F>
void ForEachLine(const std::uint8_t* data, std::size_t size, F&& f) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    f(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

} // namespace kestrin::fuzz
