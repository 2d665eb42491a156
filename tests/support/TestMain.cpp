// The main of every test program: the whole program runs under its own temporary HOME and
// system root, so that nothing it writes reaches the machine or another test program.
#include <gtest/gtest.h>

#include "TemporaryRoot.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  moxicam::test::TemporaryRoot root;
  return RUN_ALL_TESTS();
}
