// Large tables probed at random (the transposition table) spend much of each probe on
// address translation; backed by huge pages most of those misses disappear.
#pragma once

#include <cstddef>

namespace kestrin {

// Asks the system to back the whole pages inside `block` with huge pages. A hint only:
// where the system cannot, nothing changes.
void AdviseHugePages(void* block, std::size_t bytes);

} // namespace kestrin
