#include <gtest/gtest.h>

#include "net/wire.h"

namespace kestrin {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Wire, EncodingsOfTheKnownExamples) {
  EXPECT_EQ(EncodeFrame(2, TextPayload("hello")), (Bytes{137, 128, 2, 'h', 'e', 'l', 'l', 'o', 0}));
  EXPECT_EQ(EncodeFrame(8, ShortPayload(4)), (Bytes{133, 128, 8, 4, 0}));
  EXPECT_EQ(EncodeFrame(12, Payload(300, 'x')).size(), 303u);
  EXPECT_EQ(EncodeFrame(12, Payload(300, 'x'))[1], 129); // 303 = 256 + 47
  EXPECT_EQ(EncodeTime(0), (std::array<std::uint8_t, 3>{1, 1, 1}));
  EXPECT_EQ(EncodeTime(12345), (std::array<std::uint8_t, 3>{106, 103, 1}));
  EXPECT_EQ(EncodeClockValue(5), 133);
  const Payload move{1, 106, 103, 1, 'e', '2', '-', 'e', '4', ' ', 0};
  EXPECT_EQ(PayloadText(move, 4), "e2-e4 ");
  EXPECT_EQ(PayloadText(Payload{'a', 'b'}), "ab");
  EXPECT_EQ(PayloadText(move, 40), "");
}

TEST(Wire, TimeAndClockValuesRoundTripWithoutZeroBytes) {
  for (int t = 0; t < 127 * 14400; ++t) {
    const auto bytes = EncodeTime(t);
    ASSERT_EQ(DecodeTime(bytes.data()), t);
    ASSERT_TRUE(bytes[0] && bytes[1] && bytes[2]) << t;
  }
  for (int v = 0; v <= 180; ++v) {
    const std::uint8_t byte = EncodeClockValue(v);
    EXPECT_EQ(DecodeClockValue(byte), v);
    EXPECT_NE(byte, 0) << v;
    // A peer reading the byte as signed plus 128 gets every value but 128 right.
    if (v != 128) {
      EXPECT_EQ(static_cast<std::int8_t>(byte) + 128, v);
    }
  }
  EXPECT_EQ(DecodeClockValue(0), 128); // an older peer's 128 in a fixed-size payload
}

TEST(Wire, FramesComeWholeFromAnySplitOfTheStream) {
  const std::vector<Frame> frames = {{2, TextPayload("hi")},
                                     {3, {}},
                                     {12, Payload(6000, 'm')},
                                     {10, Payload{'t', 0x7F, 133, 0}},
                                     {12, Payload(MaxFrameLength - 3, 'z')}};
  Bytes stream;
  for (const Frame& f : frames) {
    const Bytes bytes = EncodeFrame(f.type, f.payload);
    stream.insert(stream.end(), bytes.begin(), bytes.end());
  }
  for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{7}, ReassemblySize - 2, stream.size()}) {
    FrameReader reader;
    std::vector<Frame> got;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
      reader.Feed(stream.data() + at, std::min(chunk, stream.size() - at));
      for (Frame f; reader.Next(f);) got.push_back(f);
    }
    ASSERT_EQ(got.size(), frames.size()) << chunk;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].type, frames[i].type);
      EXPECT_EQ(got[i].payload, frames[i].payload);
    }
    EXPECT_FALSE(reader.Broken());
  }
}

TEST(Wire, ALengthNoMessageHasBreaksTheStream) {
  const std::size_t tooLong = MaxFrameLength + 1;
  const std::vector<Bytes> heads = {{128, 128, 1},
                                    {130, 128, 1},
                                    {static_cast<std::uint8_t>((tooLong & 0xFF) + 128),
                                     static_cast<std::uint8_t>((tooLong >> 8) + 128), 12},
                                    {127, 127, 1}};
  for (const Bytes& head : heads) {
    FrameReader reader;
    const Bytes good = EncodeFrame(2, TextPayload("ok"));
    reader.Feed(good.data(), good.size());
    reader.Feed(head.data(), head.size());
    reader.Feed(good.data(), good.size());
    Frame f;
    EXPECT_TRUE(reader.Next(f));
    EXPECT_FALSE(reader.Next(f));
    EXPECT_TRUE(reader.Broken());
  }
}

} // namespace
} // namespace kestrin
