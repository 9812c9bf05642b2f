#include <gtest/gtest.h>

#include "support/fixtures.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  kestrin::test::InitTablesOnce();
  return RUN_ALL_TESTS();
}
