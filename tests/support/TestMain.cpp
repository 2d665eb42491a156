// The main of every test program: the whole program runs under its own temporary HOME and
// system root, so that nothing it writes reaches the machine or another test program.
#include <gtest/gtest.h>

#include "TemporaryRoot.h"

int main(int argc, char** argv) {
  // A death test runs its statement in a new process started afresh (fork and exec), as a
  // forked copy of a process with threads may find a lock held for ever.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  testing::InitGoogleTest(&argc, argv);
  // Static, so that it also goes when a test ends the program with exit(), as the statement of
  // a death test does: the statement's process makes a root of its own.
  static moxicam::test::TemporaryRoot root;
  return RUN_ALL_TESTS();
}
