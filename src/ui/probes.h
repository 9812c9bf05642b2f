// Developer measurements of the window, printed on standard output: the time from process
// start to the first painted board, and the longest gap between two turns of the event loop
// while the engine searches.
#pragma once

namespace kestrin {

class MainWindow;

// Prints the start-up time once the board has been painted, then closes the window.
void ProbeStartup(MainWindow& window);
// Analyses with the largest table for `seconds` while a timer notes every turn of the event
// loop; prints the longest gap, then closes the window.
void ProbeResponsiveness(MainWindow& window, int seconds);

} // namespace kestrin
