// Start-up work shared by every entry point.
#pragma once

namespace kestrin {

// Builds the board tables and fills the random key tables.
void InitTables();

} // namespace kestrin
