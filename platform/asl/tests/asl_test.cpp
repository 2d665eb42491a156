#include <asl.h>

#include <gtest/gtest.h>

#include "CaptureOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace {

using moxicam::test::captureStandardError;

TEST(ASL, EchoEndsTheLineWithoutDoublingANewline) {
  aslclient client = asl_open("Moxicam", "ZidaZoraDurodAri", ASL_OPT_STDERR);
  ASSERT_NE(client, nullptr);
  std::string text = captureStandardError([&] {
    EXPECT_EQ(asl_log(client, nullptr, ASL_LEVEL_DEBUG, "%s\n", "VERIFY FAILED: x in y:1 (z)\n"), 0);
    EXPECT_EQ(asl_log(client, nullptr, ASL_LEVEL_ERR, "plain %d%%", 7), 0);
  });
  asl_close(client);
  EXPECT_EQ(text, "VERIFY FAILED: x in y:1 (z)\n\nplain 7%\n");
}

TEST(ASL, KeepsQuietOnStandardErrorWithoutTheOption) {
  aslclient client = asl_open("Moxicam", "ZidaZoraDurodAri", 0);
  std::string text = captureStandardError([&] {
    EXPECT_EQ(asl_log(client, nullptr, ASL_LEVEL_NOTICE, "not echoed"), 0);
    EXPECT_EQ(asl_log(nullptr, nullptr, ASL_LEVEL_NOTICE, "not echoed either"), 0);
  });
  asl_close(client);
  EXPECT_EQ(text, "");
}

TEST(ASL, RefusesBadLevelsAndFormats) {
  aslclient client = asl_open(nullptr, nullptr, ASL_OPT_STDERR);
  std::string text = captureStandardError([&] {
    EXPECT_EQ(asl_log(client, nullptr, 8, "too low a priority"), -1);
    EXPECT_EQ(asl_log(client, nullptr, -1, "no such level"), -1);
    EXPECT_EQ(asl_log(client, nullptr, ASL_LEVEL_DEBUG, nullptr), -1);
  });
  asl_close(client);
  EXPECT_EQ(text, "");
}

TEST(ASL, WritesALongMessageWhole) {
  aslclient client = asl_open("Moxicam", "test", ASL_OPT_STDERR);
  const std::string message(3000, 'x');
  std::string text = captureStandardError([&] { asl_log(client, nullptr, ASL_LEVEL_INFO, "%s", message.c_str()); });
  asl_close(client);
  EXPECT_EQ(text, message + "\n");
}

}  // namespace
