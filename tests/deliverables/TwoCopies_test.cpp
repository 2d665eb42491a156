// A host and a plug-in in one process each keep their own log identity, log file and
// requirement console, and share CoreFoundation objects.
#include <gtest/gtest.h>

#include <filesystem>

#include "ChildProcess.h"
#include "TemporaryRoot.h"

namespace {

using moxicam::test::readFile;

TEST(TwoDeliverables, KeepTheirOwnLogStateAndShareStrings) {
  moxicam::test::TemporaryRoot root;
  const std::string logs = root.home() + "/Library/Logs";
  std::filesystem::create_directories(logs);
  const auto result = moxicam::test::runChild(DELIVERABLES_HOST, {DELIVERABLES_PLUGIN});
  ASSERT_FALSE(result.timedOut);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "DeliverablesHost:host line made in the plug-in\nqueues: named=1 distinct=1\n");
  EXPECT_EQ(readFile(logs + "/DeliverablesHost.log"), "host line made in the plug-in\n");
  EXPECT_EQ(readFile(logs + "/DeliverablesPlugIn.log"), "plug-in line made in the host\n");
  EXPECT_NE(result.err.find("] plug-in got made in the host\n"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("] host got made in the plug-in\n"), std::string::npos) << result.err;
}

}  // namespace
