#include "ui/probes.h"

#include <QTimer>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "game/commands.h"
#include "search/engine.h"
#include "search/searchstate.h"
#include "ui/boardview.h"
#include "ui/mainwindow.h"

namespace kestrin {

namespace {

// Milliseconds since the kernel started this process (its start time counts in clock ticks).
double MillisecondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  // Field 22 is the start time; the fields after the name begin with field 3.
  std::size_t at = close + 2;
  for (int field = 3; field < 22 && at != std::string::npos; ++field) at = text.find(' ', at) + 1;
  const double startTicks = std::stod(text.substr(at));
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return (now.tv_sec + now.tv_nsec * 1e-9) * 1000.0 - startTicks * 1000.0 / sysconf(_SC_CLK_TCK);
}

} // namespace

void ProbeStartup(MainWindow& window) {
  auto reported = std::make_shared<bool>(false);
  QObject::connect(window.Board(), &BoardView::Painted, &window, [&window, reported] {
    if (*reported) return;
    *reported = true;
    std::printf("first board painted %.0f ms after the process started\n", MillisecondsSinceProcessStart());
    std::fflush(stdout);
    QTimer::singleShot(0, &window, [&window] { window.close(); });
  });
}

void ProbeResponsiveness(MainWindow& window, int seconds) {
  using Clock = std::chrono::steady_clock;
  window.RunMenuCommand(command::LastHashSize);
  window.RunMenuCommand(command::Analyze);
  struct Probe {
    QTimer tick;
    Clock::time_point last = Clock::now(), start = Clock::now();
    double longest = 0;
    long turns = 0;
  };
  auto* probe = new Probe;
  probe->tick.setInterval(1);
  QObject::connect(&probe->tick, &QTimer::timeout, &window, [probe, seconds, &window] {
    const Clock::time_point now = Clock::now();
    const double gap = std::chrono::duration<double, std::milli>(now - probe->last).count();
    if (gap > probe->longest) probe->longest = gap;
    probe->last = now;
    ++probe->turns;
    if (now - probe->start < std::chrono::seconds(seconds)) return;
    probe->tick.stop();
    std::printf("longest event-loop gap %.1f ms over %d s of analysis (%ld turns, %u kilonodes, 192 MB table)\n",
                probe->longest, seconds, probe->turns, static_cast<unsigned>(search.nodeCount / 1000));
    std::fflush(stdout);
    window.RunMenuCommand(command::Analyze);
    QTimer::singleShot(0, &window, [&window, probe] {
      delete probe;
      window.close();
    });
  });
  probe->tick.start();
}

} // namespace kestrin
