// netload: figures of the network server under load, for quoting, never a test that fails.
//
//   netload paced|unpaced [SECONDS]     47 clients: 8 tables of two players, the rest watching
//   netload flood1|flood300 [SECONDS]   8 tables of paced play, 30 watchers and one client
//                                       sending chat lines of 1 or 300 letters without pause
//   netload sigterm [RUNS]              kestrin-server under traffic from 47 clients is sent
//                                       SIGTERM: how many clients read its goodbye (type 9)
//
// The first modes run the server in a thread of this process on its own poll loop and report
// its longest turn: the gap the same handlers would leave in a window's event loop.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "board/gameend.h"
#include "board/legality.h"
#include "board/movegen.h"
#include "board/randomkeys.h"
#include "board/tables.h"
#include "net/pollloop.h"
#include "net/server.h"
#include "notation/movetext.h"

namespace kestrin::netload {
namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

int ConnectTo(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET, address.sin_port = htons(port), address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return close(fd), -1;
  return fd;
}

// One client: a player (colour 1 or 2 once seated) or a watcher, reading everything it is sent.
struct Peer {
  int fd = -1;
  bool open = true, goodbye = false;
  int colour = NetOnlooker;
  bool playing = false;
  Position board{};
  Clock::time_point moveAt{}, sentAt{};
  FrameReader reader;
  std::vector<std::uint8_t> out;

  void Send(std::uint8_t type, const Payload& p) {
    const auto frame = EncodeFrame(type, p);
    out.insert(out.end(), frame.begin(), frame.end());
  }
};

struct Load {
  std::vector<Peer> peers;
  std::vector<double> latencies; // ms from a move sent to its echo
  int pace = 0;                  // ms a player waits before it answers
  bool chatter = false;          // watchers send too, all the time (the SIGTERM runs)
  std::size_t readLimit = 1 << 30; // bytes a client reads per round: a slow reader's pace
  std::mt19937 random{47};

  void Connect(std::uint16_t port, int count) {
    for (int i = 0; i < count; ++i) {
      Peer& p = peers.emplace_back();
      p.fd = ConnectTo(port);
      p.open = p.fd >= 0;
    }
  }
  // Players 2t and 2t+1 sit at table t, White first; the rest watch, spread over the tables.
  void Seat(int players) {
    for (int i = 0; i < static_cast<int>(peers.size()); ++i) {
      peers[i].Send(1, ShortPayload(static_cast<std::uint8_t>(i < players ? i / 2 : i % TableCount)));
      if (i < players) peers[i].Send(6, ShortPayload(1));
      const auto until = Clock::now() + std::chrono::milliseconds(i < players ? 200 : 5);
      while (Clock::now() < until) Turn(5);
    }
  }
  void See(Peer& p, const Frame& f) {
    if (f.type == 9) p.goodbye = true;
    if (f.type == 13) p.colour = f.payload.at(0);
    if (f.type == 6 || f.type == 13) {
      SetStartPosition(p.board);
      p.playing = p.colour != NetOnlooker;
      p.moveAt = Clock::now() + std::chrono::milliseconds(pace);
    }
    if (f.type == 4 && p.playing && PlayMoveText(PayloadText(f.payload, 4), p.board, 0, nullptr)) {
      if (f.payload[0] == p.colour) latencies.push_back(Ms(Clock::now() - p.sentAt));
      else p.moveAt = Clock::now() + std::chrono::milliseconds(pace);
    }
    const std::string text = PayloadText(f.payload);
    const bool over = f.type == 7 || f.type == 8 || f.type == 11 ||
                      (f.type == 3 && (text == "White Wins" || text == "Black Wins" || text == "Draw."));
    if (over && p.playing) p.playing = false, p.Send(6, ShortPayload(1)); // and again
  }
  void Act(Peer& p) {
    // A watcher's move is refused at no cost and counts against no allowance: input to the end.
    if (chatter && p.colour == NetOnlooker && p.out.size() < 4096) p.Send(4, Payload{1, 1, 1, 1, 'e', '4', 0});
    if (!p.playing || p.board.sideToMove != p.colour || Clock::now() < p.moveAt) return;
    const std::vector<Move> legal = LegalMoves(p.board);
    if (legal.empty()) return;
    char slot[MoveTextSlotSize] = {};
    FormatMoveText(slot, p.board, legal[random() % legal.size()]);
    Payload payload{static_cast<std::uint8_t>(p.colour), 1, 1, 1};
    const Payload text = TextPayload(slot);
    payload.insert(payload.end(), text.begin(), text.end());
    p.Send(4, payload);
    p.sentAt = Clock::now();
    p.moveAt = Clock::time_point::max();
  }
  // One round: every client writes what it has, reads what came and acts on it.
  void Turn(int waitMs) {
    std::vector<pollfd> fds;
    for (Peer& p : peers) fds.push_back({p.open ? p.fd : -1, static_cast<short>(POLLIN | (p.out.empty() ? 0 : POLLOUT)), 0});
    poll(fds.data(), fds.size(), waitMs);
    for (std::size_t i = 0; i < peers.size(); ++i) {
      Peer& p = peers[i];
      if (!p.open) continue;
      if (!p.out.empty()) {
        const ssize_t n = send(p.fd, p.out.data(), p.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) p.out.erase(p.out.begin(), p.out.begin() + n);
        else if (n < 0 && errno != EAGAIN) p.open = false;
      }
      std::uint8_t chunk[16384];
      ssize_t n;
      std::size_t read = 0;
      while (read < readLimit && (n = recv(p.fd, chunk, std::min(sizeof chunk, readLimit - read), MSG_DONTWAIT)) > 0)
        p.reader.Feed(chunk, std::size_t(n)), read += std::size_t(n);
      if (read >= readLimit) n = -1, errno = EAGAIN;
      if (n == 0 || (n < 0 && errno != EAGAIN)) p.open = false;
      for (Frame f; p.reader.Next(f);) See(p, f);
      if (p.goodbye && p.open) p.open = false; // a window leaves on the goodbye
      if (!p.open) close(p.fd);
      else Act(p);
    }
  }
  int Dropped() const {
    return static_cast<int>(std::count_if(peers.begin(), peers.end(), [](const Peer& p) { return !p.open; }));
  }
};

// Times the handling of each readiness event of the server (the window's loop runs the same handlers).
class TimedEvents : public EventSource {
public:
  explicit TimedEvents(EventSource& inner) : inner(inner) {}
  void Watch(int fd, int events, std::function<void(int)> ready) override {
    inner.Watch(fd, events, [this, ready = std::move(ready)](int happened) {
      const auto start = Clock::now();
      ready(happened);
      longest = std::max(longest.load(), Ms(Clock::now() - start));
    });
  }
  void Unwatch(int fd) override { inner.Unwatch(fd); }
  std::atomic<double> longest{0};

private:
  EventSource& inner;
};

int RunLoad(const std::string& mode, int seconds) {
  PollLoop loop;
  TimedEvents timed(loop);
  Server server(timed);
  server.Start(0, "Server", "127.0.0.1");
  std::atomic<bool> stop{false}, stopFlood{false};
  std::thread serving([&] { while (!stop) loop.RunOnce(10); });

  const bool flood = mode.starts_with("flood");
  Load load;
  load.pace = mode == "unpaced" ? 0 : 100;
  load.Connect(server.Port(), flood ? MaxClients - 2 : MaxClients - 1);
  load.Seat(16);
  std::atomic<long> floodLines{0};
  std::thread flooder;
  if (flood) {
    flooder = std::thread([&, length = mode == "flood300" ? 300u : 1u] {
      const int fd = ConnectTo(server.Port());
      std::vector<std::uint8_t> burst;
      for (int i = 0; i < 100; ++i) {
        const auto frame = EncodeFrame(2, TextPayload(std::string(length, 'x')));
        burst.insert(burst.end(), frame.begin(), frame.end());
      }
      std::uint8_t sink[65536];
      while (!stopFlood && send(fd, burst.data(), burst.size(), MSG_NOSIGNAL) > 0) {
        floodLines += 100;
        while (recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0) {
        }
      }
      close(fd);
    });
  }
  timed.longest = 0;
  load.latencies.clear(); // the moves played while the others sat down
  const auto start = Clock::now();
  while (Clock::now() - start < std::chrono::seconds(seconds)) load.Turn(2);
  const double elapsed = Ms(Clock::now() - start) / 1000;
  stopFlood = true; // while the server still reads, so that the flood's last send returns
  if (flooder.joinable()) flooder.join();
  stop = true;
  serving.join();

  std::vector<double>& l = load.latencies;
  std::sort(l.begin(), l.end());
  const auto at = [&](double q) { return l.empty() ? 0.0 : l[std::min(l.size() - 1, std::size_t(q * l.size()))]; };
  std::printf("%s: %zu moves relayed in %.1f s: %.0f moves/s; relay latency p50 %.2f ms, p99 %.2f ms, max %.2f ms; "
              "honest clients dropped %d of %zu; longest server turn %.1f ms",
              mode.c_str(), l.size(), elapsed, l.size() / elapsed, at(0.5), at(0.99), l.empty() ? 0.0 : l.back(),
              load.Dropped(), load.peers.size(), timed.longest.load());
  if (flood) std::printf("; chat lines sent by the flood %ld", floodLines.load());
  std::printf("\n");
  return 0;
}

int RunSigterm(int runs) {
  int complete = 0;
  for (int run = 1; run <= runs; ++run) {
    int ends[2];
    if (pipe(ends) != 0) return 1;
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(ends[1], 2);
      execl(KESTRIN_SERVER, KESTRIN_SERVER, "--port", "0", "--bind", "127.0.0.1", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ends[1]);
    std::FILE* events = fdopen(ends[0], "r");
    unsigned port = 0;
    for (char line[256]; !port && std::fgets(line, sizeof line, events);)
      std::sscanf(line, "Listening on 127.0.0.1, port %u", &port);
    Load load;
    load.chatter = true;
    load.Connect(static_cast<std::uint16_t>(port), MaxClients - 1);
    load.Seat(16);
    load.latencies.clear();
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::seconds(2)) load.Turn(1);
    load.readLimit = 1024; // from now on
    kill(pid, SIGTERM);
    // The clients keep sending until they read the goodbye or the connection ends.
    const auto stopped = Clock::now();
    while (load.Dropped() < static_cast<int>(load.peers.size()) && Clock::now() - stopped < std::chrono::seconds(5))
      load.Turn(1);
    int status = 0;
    waitpid(pid, &status, 0);
    std::fclose(events);
    const auto told = std::count_if(load.peers.begin(), load.peers.end(), [](const Peer& p) { return p.goodbye; });
    std::printf("run %d: %ld of %zu clients read the goodbye; %zu moves relayed before; server exit code %d\n", run,
                static_cast<long>(told), load.peers.size(), load.latencies.size(), WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    complete += told == static_cast<long>(load.peers.size());
  }
  std::printf("sigterm: every client told in %d of %d runs\n", complete, runs);
  return 0;
}

} // namespace
} // namespace kestrin::netload

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const int number = argc > 2 ? std::atoi(argv[2]) : 0;
  signal(SIGPIPE, SIG_IGN);
  kestrin::InitBoardTables();
  kestrin::InitHashKeys();
  if (mode == "paced" || mode == "unpaced" || mode == "flood1" || mode == "flood300")
    return kestrin::netload::RunLoad(mode, number > 0 ? number : 10);
  if (mode == "sigterm") return kestrin::netload::RunSigterm(number > 0 ? number : 5);
  std::fprintf(stderr, "Usage: netload paced|unpaced|flood1|flood300 [SECONDS] | netload sigterm [RUNS]\n");
  return 2;
}
