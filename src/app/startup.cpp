#include "app/startup.h"

#include "board/randomkeys.h"
#include "board/tables.h"

namespace kestrin {

void InitTables() {
  InitBoardTables();
  InitHashKeys();
}

} // namespace kestrin
