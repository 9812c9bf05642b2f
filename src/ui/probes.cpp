#include "ui/probes.h"

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>

#include "book/book.h"
#include "book/bookbuild.h"
#include "book/randomgames.h"
#include "game/commands.h"
#include "search/engine.h"
#include "search/searchstate.h"
#include "ui/boardview.h"
#include "ui/bookdialog.h"
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
  window.KeepSettingsFile();
  auto reported = std::make_shared<bool>(false);
  QObject::connect(window.Board(), &BoardView::Painted, &window, [&window, reported] {
    if (*reported) return;
    *reported = true;
    std::printf("first board painted %.0f ms after the process started\n", MillisecondsSinceProcessStart());
    std::fflush(stdout);
    QTimer::singleShot(0, &window, [&window] { window.close(); });
  });
}

using Clock = std::chrono::steady_clock;

// Notes the longest gap between two turns of the event loop.
struct GapProbe {
  QTimer tick;
  Clock::time_point last = Clock::now(), start = Clock::now();
  double longest = 0;
  long turns = 0;
  GapProbe() { tick.setInterval(1); }
  void Turn() {
    const Clock::time_point now = Clock::now();
    longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
    ++turns;
  }
  double Seconds() const { return std::chrono::duration<double>(Clock::now() - start).count(); }
};

void ProbeResponsiveness(MainWindow& window, int seconds) {
  window.KeepSettingsFile();
  window.RunMenuCommand(command::LastHashSize);
  window.RunMenuCommand(command::Analyze);
  auto* probe = new GapProbe;
  QObject::connect(&probe->tick, &QTimer::timeout, &window, [probe, seconds, &window] {
    probe->Turn();
    if (probe->Seconds() < seconds) return;
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

void ProbeBookBuild(MainWindow& window, int games) {
  window.KeepSettingsFile();
  std::mt19937 random(12345);
  const std::string name = "probe-games.pgn";
  if (!WriteRandomGames(name, games, random)) {
    std::printf("cannot write %s in the home folder\n", name.c_str());
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    return;
  }
  BookBuildSettings settings = bookBuildSettings;
  settings.maxGames = games;
  SetBookBuildSettings(settings);
  auto* dialog = new BookDialog(&window);
  dialog->show();
  auto* probe = new GapProbe;
  QObject::connect(&probe->tick, &QTimer::timeout, &window, [probe, dialog, games, name, &window] {
    probe->Turn();
    if (dialog->Building()) return;
    probe->tick.stop();
    std::printf("book build of %d games through the dialog: %.2f s, %d games read, %d positions in book; "
                "longest event-loop gap %.1f ms\n",
                games, probe->Seconds(), dialog->LastResult() - 1, openingBook.count, probe->longest);
    std::fflush(stdout);
    std::remove(name.c_str());
    QTimer::singleShot(0, &window, [&window, probe, dialog] {
      delete probe;
      delete dialog;
      window.close();
    });
  });
  dialog->StartBuild(QString::fromStdString(name));
  probe->start = probe->last = Clock::now();
  probe->tick.start();
}

} // namespace kestrin
