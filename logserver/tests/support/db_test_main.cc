// main of the test executables that need the MariaDB server: local time in
// UTC, one server for the whole run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "logserver/tests/support/mariadb_server.h"

int main(int argc, char** argv) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new halvern_testing::MariaDbEnvironment);
  return RUN_ALL_TESTS();
}
