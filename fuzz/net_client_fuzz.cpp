// Network frames at the client: the first byte picks this copy's seat (White, Black or an
// onlooker), the rest is read as frames from the server and handled in order, moves, move
// lists, setup traffic and results against the game left by earlier inputs.
#include "harness.h"

#include "game/controller.h"
#include "net/client.h"
#include "net/network.h"

using namespace kestrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::StartEngine(false);
  if (size == 0) return 0;
  if (!netGame) EnterNetworkMode(false);
  static const int seats[3] = {NetWhite, NetBlack, NetOnlooker};
  netClient.localColour = seats[data[0] % 3];
  FrameReader reader;
  reader.Feed(data + 1, size - 1);
  Frame frame;
  while (reader.Next(frame)) ClientHandle(frame.type, frame.payload);
  DrainLocalMessages();
  return 0;
}
