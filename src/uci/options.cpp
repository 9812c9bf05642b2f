#include "uci/options.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "book/book.h"
#include "platform/settings.h"
#include "search/limits.h"
#include "search/transposition.h"

namespace kestrin {

namespace {

constexpr int SmallestHashExponent = 19, LargestHashExponent = 24;
constexpr const char* BookFile = "TestBook.kcb";

bool ownBook = true;
bool analyseMode = false;

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

// The book is consulted when the host lets the engine use its own and is not analysing.
void UseBookAsOptionsSay(bool before) {
  const bool now = ownBook && !analyseMode;
  if (now == before) return;
  BookCreate();
  if (now) BookLoad(BookFile);
}

bool ReadCheck(std::string_view value, bool& flag) {
  if (SameName(value, "true")) flag = true;
  else if (SameName(value, "false")) flag = false;
  else return false;
  return true;
}

} // namespace

int HashExponentNearest(long long megabytes) {
  int best = SmallestHashExponent;
  for (int n = SmallestHashExponent; n <= LargestHashExponent; ++n)
    if (std::llabs(HashMegabytes(n) - megabytes) < std::llabs(HashMegabytes(best) - megabytes)) best = n;
  return best;
}

long long HashMegabytes(int exponent) {
  return static_cast<long long>(sizeof(TTBucket)) * (1LL << (exponent - 1)) / (1LL << 20);
}

std::vector<std::string> OptionDeclarations() {
  return {"option name Hash type spin default " + std::to_string(HashMegabytes(searchSettings.hashSizeExponent)) +
              " min " + std::to_string(HashMegabytes(SmallestHashExponent)) + " max " +
              std::to_string(HashMegabytes(LargestHashExponent)),
          "option name Clear Hash type button",
          // The host decides when to ponder ("go ponder"); the option only tells it that it may.
          std::string("option name Ponder type check default ") + (settings.ponderEnabled ? "true" : "false"),
          std::string("option name OwnBook type check default ") + (ownBook ? "true" : "false"),
          std::string("option name UCI_AnalyseMode type check default ") + (analyseMode ? "true" : "false")};
}

void ResetOptions() {
  const bool bookBefore = ownBook && !analyseMode;
  ownBook = true;
  analyseMode = false;
  UseBookAsOptionsSay(bookBefore);
}

void SetOption(std::string_view arguments) {
  arguments = Trimmed(arguments);
  if (arguments.substr(0, 5) != "name ") return;
  std::string_view name = arguments.substr(5), value;
  if (const std::size_t at = name.find(" value "); at != std::string_view::npos) {
    value = Trimmed(name.substr(at + 7));
    name = name.substr(0, at);
  }
  name = Trimmed(name);
  const bool bookBefore = ownBook && !analyseMode;
  if (SameName(name, "Hash")) {
    char* end = nullptr;
    const std::string text(value);
    const long long megabytes = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != 0) return;
    const int exponent = HashExponentNearest(megabytes);
    if (exponent != searchSettings.hashSizeExponent) AllocateTranspositionTable(exponent);
    searchSettings.hashSizeExponent = exponent;
  } else if (SameName(name, "Clear Hash")) {
    ClearTranspositionTable();
  } else if (SameName(name, "OwnBook")) {
    ReadCheck(value, ownBook);
  } else if (SameName(name, "UCI_AnalyseMode")) {
    ReadCheck(value, analyseMode);
  }
  UseBookAsOptionsSay(bookBefore);
}

} // namespace kestrin
