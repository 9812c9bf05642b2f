// The capture search at the frontier: stand pat or capture until the position is quiet.
#pragma once

namespace kestrin {

// Fail-hard over White's-point-of-view scores; works at level ply + 1 on the search's
// working position and leaves it as it found it.
int QuiescenceSearch(int side, int alpha, int beta, int ply);

} // namespace kestrin
