// Playing a PGN move-text block: a cursor walks the text, passes over annotations, and reads
// the moves that follow each move number.
#include <cctype>
#include <cstring>
#include <string_view>

#include "notation/history.h"
#include "notation/movetext.h"
#include "notation/pgn.h"

namespace kestrin {

namespace {

constexpr int MaxTokenLength = 39;

class Cursor {
public:
  explicit Cursor(const char* text) : text(text), end(std::strlen(text)) {}

  bool Inside() const { return at < end; }
  char Here() const { return at < end ? text[at] : '\0'; }
  bool OnDigit() const { return std::isdigit(static_cast<unsigned char>(Here())) != 0; }
  // Spaces and control characters; bytes of 128 and above count as control characters.
  bool OnBlank() const {
    unsigned char c = static_cast<unsigned char>(Here());
    return Inside() && (c == ' ' || c <= 13 || c >= 128);
  }

  // One character on, then past any annotations standing there. The cursor starts before the
  // first character, so the first step lands on it.
  void Step() {
    if (started && at < end) ++at;
    started = true;
    while (SkipAnnotation()) {
    }
  }

private:
  // Skips one glyph, variation, bracketed text or comment starting at the cursor.
  bool SkipAnnotation() {
    switch (Here()) {
    case '$':
      ++at;
      while (OnDigit()) ++at;
      return true;
    case '(': SkipNested('(', ')'); return true;
    case '[': SkipNested('[', ']'); return true;
    case '{': SkipNested('{', '}'); return true;
    case ';': // a comment to the end of the line
      while (at < end && text[at] != '\n') ++at;
      return true;
    default: return false;
    }
  }

  // Past the matching close; comments inside a variation are passed whole, so that a bracket
  // written in a comment does not end the variation early.
  void SkipNested(char open, char close) {
    int depth = 0;
    while (at < end) {
      char c = text[at++];
      if (c == open) {
        ++depth;
      } else if (c == close) {
        if (--depth == 0) return;
      } else if (c == '{' && open != '{') {
        while (at < end && text[at] != '}') ++at;
        if (at < end) ++at;
      }
    }
  }

  const char* text;
  std::size_t end;
  std::size_t at = 0;
  bool started = false;

public:
  // Collects a token of at most MaxTokenLength characters up to a blank; with `dropAtDot`,
  // a dot throws away what was collected and the dots and blanks after it are passed.
  std::string_view Token(char* out, bool dropAtDot) {
    int length = 0;
    while (Inside() && !OnBlank()) {
      if (dropAtDot && text[at] == '.') {
        // A line may break right after "12...": line ends are passed like spaces.
        length = 0;
        while (Here() == '.' || OnBlank()) ++at;
        continue;
      }
      if (length == MaxTokenLength) break;
      out[length++] = text[at++];
    }
    return std::string_view(out, static_cast<std::size_t>(length));
  }
};

} // namespace

int PlayMoveTextBlock(const char* text, std::vector<std::string>* dropped) {
  return PlayMoveTextBlock(text, gamePosition, nullptr, dropped);
}

int PlayMoveTextBlock(const char* text, Position& position, GameHistory* history, std::vector<std::string>* dropped) {
  if (!text) return 0;
  Cursor cursor(text);
  int played = 0;
  char token[MaxTokenLength + 1];
  auto play = [&](std::string_view move) {
    if (move.empty()) return false;
    if (PlayMoveText(move, position, 1, history)) {
      ++played;
      return true;
    }
    if (dropped) dropped->emplace_back(move);
    return false;
  };
  auto skipBlanks = [&] {
    while (cursor.OnBlank()) cursor.Step();
  };

  cursor.Step();
  while (cursor.Inside()) {
    if (cursor.OnDigit()) {
      while (cursor.OnDigit()) cursor.Step();
      int dots = 0;
      for (; cursor.Here() == '.'; ++dots) cursor.Step();
      skipBlanks();
      if (dots > 1) {
        // "9... Bxc5" and "9...Bxc5": Black's move alone.
        play(cursor.Token(token, true));
      } else {
        // With Black to move at a plain number (a game from a position with Black to move, once
        // written "1.  e7-e5") a first move that fits was Black's, and the number is done.
        const bool blackToMove = position.sideToMove == Black;
        if (!play(cursor.Token(token, false)) || !blackToMove) {
          skipBlanks();
          play(cursor.Token(token, true));
        }
      }
    }
    cursor.Step();
  }
  return played;
}

} // namespace kestrin
