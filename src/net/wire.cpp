#include "net/wire.h"

#include <algorithm>

namespace kestrin {

namespace {

int Signed(std::uint8_t byte) { return static_cast<std::int8_t>(byte); }

// Three time bytes each at most 127 read as signed: hundredths below 127 x 14400 (about 5 hours).
constexpr int MaxEncodedTime = 127 * 14400 - 1;
constexpr int MaxClockValue = 180;
// The byte that stands for 128 (see EncodeClockValue).
constexpr std::uint8_t ClockValue128 = 127;

} // namespace

std::vector<std::uint8_t> EncodeFrame(std::uint8_t type, const Payload& payload) {
  // A payload too long for any message is cut rather than sent with a length no peer accepts.
  const std::size_t size = std::min(payload.size(), MaxFrameLength - 3);
  const std::size_t length = size + 3;
  std::vector<std::uint8_t> frame;
  frame.reserve(length);
  frame.push_back(static_cast<std::uint8_t>((length & 0xFF) + 128));
  frame.push_back(static_cast<std::uint8_t>((length >> 8) + 128));
  frame.push_back(type);
  frame.insert(frame.end(), payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(size));
  return frame;
}

Payload TextPayload(std::string_view text) {
  Payload payload(text.begin(), text.end());
  payload.push_back(0);
  return payload;
}

Payload ShortPayload(std::uint8_t value) { return {value, 0}; }

std::string PayloadText(const Payload& p, std::size_t from) {
  if (from >= p.size()) return {};
  const auto begin = p.begin() + static_cast<std::ptrdiff_t>(from);
  return std::string(begin, std::find(begin, p.end(), std::uint8_t{0}));
}

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) continue;
    // U+0080..U+009F, the second set of control characters, as UTF-8.
    if (c == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80) {
      ++i;
      continue;
    }
    out += static_cast<char>(c);
  }
  return out;
}

std::array<std::uint8_t, 3> EncodeTime(int hundredths) {
  const int t = std::clamp(hundredths, 0, MaxEncodedTime);
  return {static_cast<std::uint8_t>(t % 120 + 1), static_cast<std::uint8_t>(t / 120 % 120 + 1),
          static_cast<std::uint8_t>(t / 14400 + 1)};
}

int DecodeTime(const std::uint8_t* three) {
  return Signed(three[0]) + 120 * Signed(three[1]) + 14400 * Signed(three[2]) - 14521;
}

// Peers read a clock byte as (signed byte) + 128, so values 0..127 travel as 128..255 and
// 129..180 as 1..52, both read right by every peer. Only 128 would become a zero byte, which
// ends a text payload early; it travels as 127 instead, a byte that stands for nothing else
// because the setup dialog stops at 180 (an older peer reads it as 255). A zero byte from an
// older peer still means 128.
std::uint8_t EncodeClockValue(int minutesOrSeconds) {
  const int value = std::clamp(minutesOrSeconds, 0, MaxClockValue);
  if (value == 128) return ClockValue128;
  return static_cast<std::uint8_t>((value + 128) & 0xFF);
}

int DecodeClockValue(std::uint8_t byte) {
  if (byte == ClockValue128) return 128;
  return Signed(byte) + 128;
}

void FrameReader::Feed(const std::uint8_t* bytes, std::size_t count) {
  if (broken) return;
  // Drop what was delivered before growing the buffer, so it never holds more than a frame
  // and one read's worth.
  if (start > 0 && (start == buffer.size() || start >= ReassemblySize)) {
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(start));
    start = 0;
  }
  buffer.insert(buffer.end(), bytes, bytes + count);
}

bool FrameReader::Next(Frame& frame) {
  if (broken || buffer.size() - start < 2) return false;
  const std::uint8_t* head = buffer.data() + start;
  const int length = Signed(head[1]) * 256 + Signed(head[0]) + 32896;
  if (length < 3 || static_cast<std::size_t>(length) > MaxFrameLength) {
    broken = true;
    buffer.clear();
    start = 0;
    return false;
  }
  if (buffer.size() - start < static_cast<std::size_t>(length)) return false;
  frame.type = head[2];
  frame.payload.assign(head + 3, head + length);
  start += static_cast<std::size_t>(length);
  return true;
}

bool FrameReader::Broken() const { return broken; }

} // namespace kestrin
