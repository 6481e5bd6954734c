// tolvarn-calc as a separate process.
#include <gtest/gtest.h>

TEST(Cli, Placeholder) {
  SUCCEED();
}
