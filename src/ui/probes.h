// Developer measurements of the window, printed on standard output: the time from process
// start to the first painted board, and the longest gap between two turns of the event loop
// while the engine searches or a book is built.
#pragma once

namespace kestrin {

class MainWindow;

// Prints the start-up time once the board has been painted, then closes the window.
void ProbeStartup(MainWindow& window);
// Analyses with the largest table for `seconds` while a timer notes every turn of the event
// loop; prints the longest gap, then closes the window.
void ProbeResponsiveness(MainWindow& window, int seconds);
// Writes `games` random games to the home folder and builds the book from them through the book
// dialog while a timer notes every turn of the event loop; prints the build's time and the
// longest gap, then closes the window.
void ProbeBookBuild(MainWindow& window, int games);

} // namespace kestrin
