#include "notation/pgn.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <sys/stat.h>

#include "notation/fen.h"
#include "notation/history.h"
#include "notation/newgame.h"
#include "notation/san.h"
#include "notation/transcript.h"
#include "platform/frontend.h"
#include "platform/regularfile.h"
#include "platform/safewrite.h"

namespace kestrin {

const char* const PgnEngineName = "KestrinChess 2.82a ";

std::string pgnFileName;
int pgnGameIndex = 1;

namespace {

const char* ResultText(int code) {
  switch (code) {
  case 1: return "1-0";
  case 2: return "0-1";
  case 3: return "1/2-1/2";
  default: return "*";
  }
}

// Move-text lines stay below 80 characters, as other readers require.
constexpr std::size_t PgnLineWidth = 79;

bool IsInitialArray(const Position& position) {
  Position initial;
  SetStartPosition(initial);
  return std::memcmp(&initial, &position, sizeof position) == 0;
}

void AppendFormat(std::string& out, const char* format, auto... values) {
  char line[64];
  std::snprintf(line, sizeof line, format, values...);
  out += line;
}

bool IsControl(char c) { return static_cast<unsigned char>(c) < 32 || c == 127; }

// A value may hold any text but the line end it would break the tag at: quotes and backslashes
// are escaped, control characters left out.
void AppendTag(std::string& out, const char* name, const std::string& value) {
  out += '[';
  out += name;
  out += " \"";
  for (char c : value) {
    if (IsControl(c)) continue;
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += "\"]\n";
}

// A name as a tag value: without the blanks around it (the engine's own name ends in one).
std::string Trimmed(const std::string& name) {
  const std::size_t first = name.find_first_not_of(' '), last = name.find_last_not_of(' ');
  return first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
}

// The recorded moves in standard text with their numbers, then the result; lines stay below
// 80 characters. A record text that no longer fits the game ends the moves there.
std::string ExportMoveText(const GameHistory& record, const Position& start, const char* result, int& plies) {
  std::vector<std::string> words;
  Position p = start;
  plies = 0;
  for (int ply = 1; ply <= HistoryCount(&record); ++ply) {
    const std::string_view text = PlyText(record, ply);
    if (ply == 1 && text.empty()) continue; // a game begun with Black to move
    const int number = (p.plyCount + 1) / 2;
    const bool white = p.sideToMove == White;
    std::string san;
    if (!StandardTextOfRecorded(text, p, san)) break;
    if (white) words.push_back(std::to_string(number) + ".");
    else if (plies == 0) words.push_back(std::to_string(number) + "...");
    words.push_back(san);
    ++plies;
  }
  words.emplace_back(result);
  std::string out, line;
  for (const std::string& word : words) {
    if (!line.empty() && line.size() + 1 + word.size() > PgnLineWidth) {
      out += line + '\n';
      line.clear();
    }
    if (!line.empty()) line += ' ';
    line += word;
  }
  return out + line + '\n';
}

std::string GameText(int resultCode, const PgnPlayers& players) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);

  std::string white, black;
  int whiteElo = 0, blackElo = 0;
  if (players.netGame) {
    white = players.netWhiteName;
    black = players.netBlackName;
  } else {
    switch (players.humanSide) {
    case 1:
      white = players.playerName, black = PgnEngineName, whiteElo = players.eloRating;
      break;
    case 2:
      white = PgnEngineName, black = players.playerName, blackElo = players.eloRating;
      break;
    case 3: white = black = players.playerName; break;
    default: white = black = PgnEngineName; break;
    }
  }
  white = Trimmed(white);
  black = Trimmed(black);

  // The seven tags every reader expects, in their order, with "?" for what is not known.
  const char* result = ResultText(resultCode);
  std::string text;
  AppendTag(text, "Event", players.netGame ? "Net Game" : "Kestrin Chess Game");
  AppendTag(text, "Site", "?");
  AppendFormat(text, "[Date \"%04d.%02d.%02d\"]\n", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  AppendTag(text, "Round", "?");
  AppendTag(text, "White", white.empty() ? "?" : white);
  AppendTag(text, "Black", black.empty() ? "?" : black);
  AppendTag(text, "Result", result);
  AppendFormat(text, "[Time \"%.2d:%.2d:%.2d\"]\n", local.tm_hour, local.tm_min, local.tm_sec);
  if (players.netGame) {
    AppendFormat(text, "[TimeControl \"%d+%d\"]\n", players.netMinutes * 60, players.netSeconds);
  } else {
    AppendFormat(text, "[TimeControl \"%d+%d\"]\n", players.timeMinutes * 60 + players.timeSeconds,
                 players.timeIncrement);
  }
  if (whiteElo) AppendFormat(text, "[WhiteElo \"%d\"]\n", whiteElo);
  if (blackElo) AppendFormat(text, "[BlackElo \"%d\"]\n", blackElo);
  int plies = 0;
  const std::string moves = ExportMoveText(gameHistory, startPosition, result, plies);
  AppendFormat(text, "[PlyCount \"%d\"]\n", plies);
  // The ply the board shows; the game may go on beyond it.
  AppendFormat(text, "[CurrentPly \"%d\"]\n", static_cast<int>(gamePosition.plyCount));
  if (!IsInitialArray(startPosition)) {
    char fen[FenBufferSize];
    PositionToFen(fen, startPosition);
    AppendTag(text, "FEN", fen);
    text += "[SetUp \"1\"]\n";
  }
  text += '\n';
  text += moves;
  text += '\n';
  return text;
}

// Reads a file line by line, counting the bytes it took so that a line can be given back.
class LineReader {
public:
  explicit LineReader(std::FILE* file) : file(file) {
    long at = std::ftell(file);
    offset = at < 0 ? -1 : at;
    // A regular file is read no further than the size it has now.
    struct stat status;
    if (offset >= 0 && fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode)) limit = status.st_size;
    // A byte-order mark some editors put at the start of a file is no part of the text.
    if (offset == 0) {
      unsigned char mark[3];
      if (std::fread(mark, 1, 3, file) == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) {
        offset = 3;
      } else {
        std::fseek(file, 0, SEEK_SET);
      }
    }
  }

  // Reads a line into out[0 .. capacity - 1] without its line end, zero-terminated, keeping at
  // most `capacity - 1` characters of it; zero bytes become blanks. `head` receives the first
  // two characters even when nothing is kept. Returns the length kept, or -1 at the end of the file.
  int Read(char* out, int capacity, char head[2]) {
    lineStart = offset;
    int length = 0, seen = 0;
    head[0] = head[1] = '\0';
    for (;;) {
      int c = limit >= 0 && offset >= limit ? EOF : getc_unlocked(file);
      if (c == EOF) {
        if (seen == 0) return -1;
        break;
      }
      if (offset >= 0) ++offset;
      if (c == '\n') break;
      if (c == '\0') c = ' ';
      if (seen < 2) head[seen] = static_cast<char>(c);
      ++seen;
      if (length < capacity - 1) out[length++] = static_cast<char>(c);
    }
    if (length > 0 && out[length - 1] == '\r') --length;
    out[length] = '\0';
    return length;
  }

  // Puts the file back to the start of the line read last; false when the file cannot seek.
  bool GiveBackLine() { return lineStart >= 0 && std::fseek(file, lineStart, SEEK_SET) == 0; }

private:
  std::FILE* file;
  long offset = -1;
  long lineStart = -1;
  long long limit = -1;
};

bool IsBlankLine(const char* line) {
  for (; *line; ++line)
    if (*line != ' ' && *line != '\t') return false;
  return true;
}

// A line that opens a tag pair: "[" and a tag name.
bool IsTagLine(const char head[2]) {
  return head[0] == '[' && std::isalpha(static_cast<unsigned char>(head[1]));
}

void CopyField(const std::string& value, char* field, std::size_t size) {
  const std::size_t n = value.copy(field, size - 1);
  field[n] = '\0';
}

// The value of a tag from its opening quote on: \" and \\ stand for themselves, control characters
// are left out. `end` is set past the closing quote. A value without a closing quote that
// escapes would read it (an unescaped path ending in a backslash, written by older versions)
// ends at its first quote.
std::string TagValue(const char* open, const char*& end) {
  std::string value;
  const char* at = open + 1;
  for (; *at && *at != '"'; ++at) {
    if (*at == '\\' && (at[1] == '"' || at[1] == '\\')) ++at;
    if (!IsControl(*at)) value += *at;
  }
  if (*at == '"') {
    end = at + 1;
    return value;
  }
  const char* close = std::strchr(open + 1, '"');
  end = close ? close + 1 : at;
  value.assign(open + 1, close ? close : at);
  std::erase_if(value, IsControl);
  return value;
}

// The tag pairs of a line, [Name "value"], each matched by its whole name.
void ReadTags(const char* line, PgnGameInfo& info) {
  for (const char* at = std::strchr(line, '['); at; at = std::strchr(at, '[')) {
    const char* open = std::strchr(at, '"');
    if (!open) return;
    std::string name(at + 1, open);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    const std::string value = TagValue(open, at);
    if (name == "White") CopyField(value, info.white, sizeof info.white);
    else if (name == "Black") CopyField(value, info.black, sizeof info.black);
    else if (name == "Result") CopyField(value, info.result, sizeof info.result);
    else if (name == "Event") CopyField(value, info.event, sizeof info.event);
    else if (name == "TimeControl") CopyField(value, info.timeControl, sizeof info.timeControl);
    else if (name == "FEN") CopyField(value, info.fen, sizeof info.fen);
    else if (name == "CurrentPly" || name == "Current Ply") { // the second as older versions wrote it
      char* end = nullptr;
      const long ply = std::strtol(value.c_str(), &end, 10);
      if (end != value.c_str() && *end == '\0')
        info.currentPly = static_cast<i32>(ply < INT_MIN ? INT_MIN : ply > INT_MAX ? INT_MAX : ply);
    }
  }
}

// Lines before a file's first tag that hold no game: blank ones and remarks (";" and "%" lines,
// and comments in braces, which may run over several lines).
bool IsRemarkLine(const char* line, bool& inComment) {
  const char* at = line;
  while (*at == ' ' || *at == '\t') ++at;
  if (!inComment && (*at == ';' || *at == '%' || *at == '\0')) return true;
  if (!inComment && *at != '{') return false;
  inComment = true;
  for (; *at; ++at) {
    if (*at == '}') inComment = false;
    else if (!inComment && *at != ' ' && *at != '\t') return false;
  }
  return true;
}

} // namespace

int SavePgnGame(int resultCode, const char* fileName, int append, const PgnPlayers& players) {
  if (!fileName) return 0;
  const std::string text = GameText(resultCode, players);
  bool written;
  if (append == 1) {
    std::FILE* file = OpenRegularFile(fileName, FileAccess::Append);
    if (!file) {
      SetInfoText("Cannot Open File.");
      return 0;
    }
    written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = std::fclose(file) == 0 && written;
  } else {
    written = WriteFileReplacing(fileName, text.data(), text.size());
  }
  if (!written) {
    SetInfoText("Cannot Open File.");
    return 0;
  }
  return 1;
}

int ReadPgnGame(char* buffer, std::FILE* file, PgnGameInfo& info) {
  for (char* field : {info.white, info.black, info.event, info.result, info.timeControl}) std::strcpy(field, "X");
  info.fen[0] = '\0';
  info.currentPly = -1;
  buffer[0] = '\0';

  LineReader reader(file);
  char head[2];
  int length = reader.Read(buffer, PgnBufferSize, head);
  // What stands before the first tag of a file is no game of its own.
  bool inComment = false;
  while (length >= 0 && head[0] != '[' && IsRemarkLine(buffer, inComment))
    length = reader.Read(buffer, PgnBufferSize, head);
  for (; length >= 0 && head[0] == '['; length = reader.Read(buffer, PgnBufferSize, head)) ReadTags(buffer, info);
  if (length < 0) {
    buffer[0] = '\0';
    return 0;
  }
  // The line after the tags is normally empty; a file without that line keeps its first moves.
  int textLength = 0;
  if (!IsBlankLine(buffer)) {
    textLength = length;
    if (textLength < PgnTextLimit) buffer[textLength++] = '\n';
  }
  // The move text runs to the tags of the next game; what lies beyond the limit is passed over.
  for (;;) {
    int room = PgnBufferSize - textLength;
    length = reader.Read(buffer + textLength, room, head);
    if (length < 0) {
      buffer[textLength] = '\0';
      return 0;
    }
    if (IsTagLine(head)) {
      buffer[textLength] = '\0';
      reader.GiveBackLine();
      return 1;
    }
    textLength += length;
    if (textLength < PgnTextLimit) buffer[textLength++] = '\n';
    buffer[textLength] = '\0';
  }
}

namespace {

// Whether what the reader found is a game: a tag it knows, or at least one move that fits.
// Bytes of another kind of file would otherwise replace the game with an empty one.
bool HoldsGame(const char* moveText, const PgnGameInfo& info) {
  for (const char* field : {info.white, info.black, info.event, info.result, info.timeControl})
    if (std::strcmp(field, "X") != 0) return true;
  if (info.fen[0] || info.currentPly != -1) return true;
  Position scratch;
  SetStartPosition(scratch);
  auto history = std::make_unique<GameHistory>();
  ClearHistory(history.get());
  return PlayMoveTextBlock(moveText, scratch, history.get()) > 0;
}

} // namespace

int LoadPgnGame(const char* fileName, int gameNumber, int showInformation) {
  std::FILE* file = OpenRegularFile(fileName, FileAccess::Read);
  if (!file) return 0;
  std::unique_ptr<char[]> buffer(new char[PgnBufferSize]);
  PgnGameInfo info;
  int loaded = 1;
  int more = ReadPgnGame(buffer.get(), file, info);
  while (more == 1 && loaded < gameNumber) {
    more = ReadPgnGame(buffer.get(), file, info);
    ++loaded;
  }
  std::fclose(file);
  if (!HoldsGame(buffer.get(), info)) {
    SetInfoText("No game found in this file.");
    return 0;
  }

  StartNewGame(false);
  if (info.fen[0]) PositionFromFen(info.fen, std::strlen(info.fen));
  PlayMoveTextBlock(buffer.get());
  RebuildTranscript(gamePosition.plyCount - 2);
  if (info.currentPly != -1) PositionAtPly(gamePosition, info.currentPly);
  if (showInformation == 1) {
    std::string text = "Game " + std::to_string(loaded) + "\nEvent: " + info.event +
                       "\nTime Control: " + info.timeControl + "\nWhite: " + info.white +
                       "\nBlack: " + info.black + "\nResult: " + info.result + "\n";
    SetInfoText(text);
  }
  return loaded;
}

int LoadFirstPgnGame(const char* fileName) {
  int loaded = LoadPgnGame(fileName, 1, 1);
  pgnGameIndex = 1;
  if (loaded) pgnFileName = fileName;
  return loaded;
}

int LoadNextPgnGame() {
  int loaded = LoadPgnGame(pgnFileName.c_str(), pgnGameIndex + 1, 1);
  pgnGameIndex = loaded ? loaded : 1;
  return pgnGameIndex;
}

int LoadPreviousPgnGame() {
  int wanted = pgnGameIndex > 1 ? pgnGameIndex - 1 : 1;
  int loaded = LoadPgnGame(pgnFileName.c_str(), wanted, 1);
  pgnGameIndex = loaded ? loaded : 1;
  return pgnGameIndex;
}

} // namespace kestrin
