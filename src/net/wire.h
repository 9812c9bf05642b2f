// The network frame: a two-byte length, a type byte and a payload; the value encodings
// inside payloads; and the reassembly of frames from a byte stream.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "notation/history.h"

namespace kestrin {

constexpr std::uint16_t NetPort = 14324;
// Colours on the wire (the board's White and Black are the same numbers).
constexpr int NetWhite = 1, NetBlack = 2, NetOnlooker = 4;
// The receive buffer older peers were built around; longer frames still arrive whole here.
constexpr std::size_t ReassemblySize = 3200;
// A table's move list (type 12) is the longest message: at most 14 characters per recorded
// ply ("300. ", seven of text, a blank, a line feed), its zero byte and the header.
constexpr std::size_t MaxFrameLength = 3 + static_cast<std::size_t>(MaxRecordedPlies) * 14 + 1;

using Payload = std::vector<std::uint8_t>;
struct Frame {
  std::uint8_t type = 0;
  Payload payload;
};

std::vector<std::uint8_t> EncodeFrame(std::uint8_t type, const Payload& payload);
Payload TextPayload(std::string_view text);          // the text and its zero byte
Payload ShortPayload(std::uint8_t value);            // {value, 0}
std::string PayloadText(const Payload& p, std::size_t from = 0); // up to the first zero byte or the end
// The text without control characters (line breaks, escapes, bells; also those of UTF-8), so
// that what a peer sends cannot forge lines or steer a terminal where it is shown.
std::string PrintableText(std::string_view text);

// Time used in hundredths of a second, three bytes.
std::array<std::uint8_t, 3> EncodeTime(int hundredths);
int DecodeTime(const std::uint8_t* three); // may be negative for corrupt bytes

// Minutes or seconds of a time control, one byte (0..180 round-trip; see wire.cpp).
std::uint8_t EncodeClockValue(int minutesOrSeconds);
int DecodeClockValue(std::uint8_t byte);

// Reassembles frames from a byte stream; a length below 3 or above MaxFrameLength makes it Broken().
class FrameReader {
public:
  void Feed(const std::uint8_t* bytes, std::size_t count);
  bool Next(Frame& frame); // true while a complete frame is buffered
  bool Broken() const;

private:
  std::vector<std::uint8_t> buffer;
  std::size_t start = 0; // bytes before this were delivered already
  bool broken = false;
};

} // namespace kestrin
