#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "net/wire.h"

namespace kestrin {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Wire, KnownEncodingsAndRoundTripsOfEveryValue) {
  EXPECT_EQ(EncodeFrame(2, TextPayload("hello")), (Bytes{137, 128, 2, 'h', 'e', 'l', 'l', 'o', 0}));
  EXPECT_EQ(EncodeFrame(8, ShortPayload(4)), (Bytes{133, 128, 8, 4, 0}));
  EXPECT_EQ(EncodeTime(0), (std::array<std::uint8_t, 3>{1, 1, 1}));
  EXPECT_EQ(EncodeTime(12345), (std::array<std::uint8_t, 3>{106, 103, 1}));
  EXPECT_EQ(EncodeClockValue(5), 133);
  EXPECT_EQ(PayloadText(Payload{1, 2, 'e', '4', 0, 'x'}, 2), "e4");
  for (int t = 0; t < 127 * 14400; ++t) {
    const auto b = EncodeTime(t);
    ASSERT_TRUE(DecodeTime(b.data()) == t && b[0] && b[1] && b[2]) << t;
  }
  for (int v = 0; v <= 180; ++v) {
    const std::uint8_t byte = EncodeClockValue(v);
    EXPECT_TRUE(DecodeClockValue(byte) == v && byte != 0) << v;
    // Peers reading the byte as signed plus 128 get every value but 128.
    EXPECT_TRUE(v == 128 || static_cast<std::int8_t>(byte) + 128 == v) << v;
  }
}

TEST(Wire, FramesComeWholeFromAnySplitAndBadLengthsBreakTheStream) {
  const std::vector<Frame> frames = {{2, TextPayload("hi")}, {3, {}}, {12, Payload(6000, 'm')},
                                     {12, Payload(MaxFrameLength - 3, 'z')}};
  Bytes stream;
  for (const Frame& f : frames) std::ranges::copy(EncodeFrame(f.type, f.payload), std::back_inserter(stream));
  const std::size_t tooLong = MaxFrameLength + 1;
  const std::vector<Bytes> badHeads = {{128, 128}, {130, 128}, {127, 127},
                                       {std::uint8_t((tooLong & 0xFF) + 128), std::uint8_t((tooLong >> 8) + 128)}};
  for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, ReassemblySize - 2, stream.size()}) {
    for (const Bytes& bad : badHeads) {
      Bytes all = stream;
      all.insert(all.end(), bad.begin(), bad.end());
      all.insert(all.end(), stream.begin(), stream.end());
      FrameReader reader;
      std::size_t got = 0;
      for (std::size_t at = 0; at < all.size(); at += chunk) {
        reader.Feed(all.data() + at, std::min(chunk, all.size() - at));
        for (Frame f; reader.Next(f); ++got)
          ASSERT_TRUE(got < frames.size() && f.type == frames[got].type && f.payload == frames[got].payload);
      }
      EXPECT_TRUE(got == frames.size() && reader.Broken()) << chunk;
    }
  }
}

} // namespace
} // namespace kestrin
