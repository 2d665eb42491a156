#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CaptureOutput.h"
#include "NSMutableData_NSDatazer.h"

const char* g_CoreMachDebug_LogPrefix = "NSDatazerTest";
const char* g_CoreMachDebug_LogFileName = "NSDatazerTest.log";

namespace {

std::vector<uint8_t> bytesOf(NSData* data) {
  auto* p = static_cast<const uint8_t*>(data->bytes());
  return std::vector<uint8_t>(p, p + data->length());
}

TEST(NSDatazer, SwapsTheHalvesOfEveryByteAndUndoesItself) {
  objc::AutoreleasePool pool;
  const uint8_t bytes[] = {0x12, 0xF0, 0xAB, 0x00};
  NSMutableData* data = NSDatazer::dataWithNSDatazerBytes_length(bytes, sizeof bytes);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(bytesOf(data), (std::vector<uint8_t>{0x21, 0x0F, 0xBA, 0x00}));
  EXPECT_TRUE(NSDatazer::transform(data));
  EXPECT_EQ(bytesOf(data), (std::vector<uint8_t>{0x12, 0xF0, 0xAB, 0x00}));
  NSMutableData* empty = NSDatazer::dataWithNSDataBytes_length(nullptr, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(NSDatazer::transformData(empty));
  EXPECT_EQ(empty->length(), 0u);
  NSMutableData* copy = NSDatazer::dataWithNSData(data);
  EXPECT_NE(copy, data);
  EXPECT_EQ(bytesOf(copy), bytesOf(data));
}

TEST(NSDatazer, DataThatCannotBeMadeIsReported) {
  objc::AutoreleasePool pool;
  NSMutableData* result = reinterpret_cast<NSMutableData*>(1);
  std::string log = moxicam::test::captureStandardError(
      [&] { result = NSDatazer::dataWithNSDataBytes_length(nullptr, 8); });
  EXPECT_EQ(result, nullptr);
  EXPECT_NE(log.find("VERIFY FAILED:  code : result!=nil in "), std::string::npos) << log;
  EXPECT_NE(log.find("(+[NSMutableData(NSDatazer) dataWithNSDataBytes:length:])"), std::string::npos) << log;
}

}  // namespace
