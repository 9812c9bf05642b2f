// kestrin: Kestrin Chess in its window, or the engine for a chess interface that writes its
// commands to standard input.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/modechoice.h"
#include "app/startup.h"
#include "ui/mainwindow.h"
#include "ui/probes.h"

namespace {

// An interface writes its first command as soon as it has started the program.
constexpr int FirstLineWait = 1000; // milliseconds

} // namespace

int main(int argc, char** argv) {
  std::string home, probe;
  int probeCount = 0; // seconds of analysis or games to build from
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc) {
      home = argv[++i];
    } else if (std::strcmp(argv[i], "--probe") == 0 && i + 1 < argc) {
      probe = argv[++i];
      if (i + 1 < argc && std::atoi(argv[i + 1]) > 0) probeCount = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf("usage: kestrin [--home DIR] [--probe startup | --probe responsiveness [SECONDS] |\n"
                  "                                 --probe bookbuild [GAMES]]\n"
                  "Opens the Kestrin Chess window; with a chess interface writing xboard or UCI commands to its\n"
                  "standard input it plays as that interface's engine instead.\n"
                  "DIR is the folder for settings, bitbase, book and saved games (default ~/.local/share/kestrin).\n"
                  "--probe prints a figure and closes: the time to the first painted board, or the longest\n"
                  "gap between event-loop turns while the engine analyses (default 10 s) or while the book\n"
                  "dialog builds a book from GAMES generated games (default 50000).\n");
      return 0;
    }
  }
  if (std::string firstLine; kestrin::ReadFirstLine(FirstLineWait, &firstLine))
    return kestrin::RunEngineMode(home, firstLine);
  QApplication application(argc, argv);
  if (!kestrin::EnterHomeDirectory(home)) return 1;
  kestrin::InitEngine();
  kestrin::MainWindow window;
  if (probe == "startup") kestrin::ProbeStartup(window);
  window.Start();
  if (probe == "responsiveness") kestrin::ProbeResponsiveness(window, probeCount > 0 ? probeCount : 10);
  if (probe == "bookbuild") kestrin::ProbeBookBuild(window, probeCount > 0 ? probeCount : 50000);
  return application.exec();
}
