#include <gtest/gtest.h>

#include <CoreFoundation/CFString.h>

#include <cstring>
#include <string>
#include <vector>

#include "CMIODeviceBase.h"
#include "CMIOPlugIn.h"
#include "CMIOStreamBase.h"

using namespace NQCMIO;

namespace {

CMIOObjectPropertyAddress address(UInt32 selector) {
  return {selector, kCMIOObjectPropertyScopeGlobal, kCMIOObjectPropertyElementMain};
}

std::string text(CFStringRef string) {
  char buffer[256] = "";
  if (string) CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

struct Row {
  const char* selector;
  bool has;
  bool settable;
  UInt32 size;
};

UInt32 code(const char* selector) { return FOUR_CHAR_CODE(*reinterpret_cast<const char(*)[5]>(selector)); }

void expectRows(const CMIOObject& object, const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.selector);
    EXPECT_EQ(object.HasProperty(address(code(row.selector))), row.has);
    EXPECT_EQ(object.IsPropertySettable(address(code(row.selector))), row.settable);
    EXPECT_EQ(object.GetPropertyDataSize(address(code(row.selector)), 0, nullptr), row.size);
  }
}

}  // namespace

TEST(PropertyMap, DeviceTableAnswersHasSettableAndSize) {
  CMIODeviceBase device(CFSTR("Camera"), CFSTR("camera.uid"));
  expectRows(device, {{"lnam", true, false, 8},  {"lmak", true, false, 8},  {"lccn", true, false, 8},
                      {"lcnn", true, false, 8},  {"plug", true, false, 4},  {"uid ", true, false, 8},
                      {"muid", true, false, 8},  {"tran", true, false, 4},  {"livn", true, false, 4},
                      {"diff", true, false, 4},  {"goin", true, false, 4},  {"gone", true, false, 4},
                      {"dflt", true, false, 4},  {"oink", true, false, 4},  {"ltnc", true, false, 4},
                      {"stm#", true, false, 4},  {"pmac", true, false, 1},  {"r422", true, false, 1},
                      {"slay", false, false, 8}, {"plud", false, false, 8}, {"plsd", false, false, 8},
                      {"ownd", false, false, 4}, {"sbyu", false, false, 4}, {"ixna", true, true, 4},
                      {"pmnh", true, true, 4},   {"lisa", true, true, 12},  {"lisr", true, true, 12},
                      {"zzzz", false, false, 0}});
}

TEST(PropertyMap, StreamAndPlugInTablesAnswerHasSettableAndSize) {
  CMIOStreamBase stream;
  expectRows(stream, {{"ownd", false, false, 4}, {"ipls", false, false, 24}, {"lnam", true, false, 8},
                      {"lmak", true, false, 8},  {"lchn", true, false, 8},   {"lccn", false, false, 8},
                      {"lcnn", false, false, 8}, {"sdir", true, false, 4},   {"term", false, false, 4},
                      {"schn", false, false, 4}, {"ltnc", false, false, 4},  {"pfta", true, false, 8},
                      {"pft ", true, false, 8},  {"nfrt", true, false, 8},   {"nfr#", true, false, 8},
                      {"mfrt", true, false, 8},  {"pmcl", true, false, 8},   {"miff", false, false, 4},
                      {"frrg", true, false, 16}});
  CMIOPlugIn plugIn;
  expectRows(plugIn, {{"lnam", true, false, 8}, {"ownd", false, false, 4}});
}

TEST(PropertyMap, ConstantValuesComeFromTheTables) {
  CMIODeviceBase device(CFSTR("Camera"), CFSTR("camera.uid"));
  struct Constant {
    const char* selector;
    UInt32 size;
    UInt32 value;
  };
  for (const Constant& constant : std::vector<Constant>{{"tran", 4, FOUR_CHAR_CODE("bltn")},
                                                       {"livn", 4, 1},
                                                       {"diff", 4, 0},
                                                       {"goin", 4, 1},
                                                       {"dflt", 4, 1},
                                                       {"oink", 4, 0xFFFFFFFF},
                                                       {"ltnc", 4, 0},
                                                       {"pmac", 1, 0},
                                                       {"r422", 1, 0}}) {
    SCOPED_TRACE(constant.selector);
    UInt32 value = 0xAAAAAAAA, used = 99;
    EXPECT_EQ(device.GetPropertyData(address(code(constant.selector)), 0, nullptr, sizeof value, &used, &value),
              kCMIOHardwareNoError);
    EXPECT_EQ(used, constant.size);
    const UInt32 mask = constant.size == 4 ? 0xFFFFFFFF : 0xFF;
    EXPECT_EQ(value & mask, constant.value);
    if (constant.size == 1) {
      EXPECT_EQ(value & 0xFFFFFF00, 0xAAAAAA00u) << "a 1-byte property writes 1 byte";
    }
  }
  for (auto [selector, expected] : std::vector<std::pair<const char*, const char*>>{
           {"lmak", "NQ.Manufacturer"}, {"lccn", "NQ.ElementCategoryName"}, {"lcnn", "NQ.ElementNumberName"},
           {"muid", "NQ.DeviceModelUID"}, {"lnam", "Camera"}, {"uid ", "camera.uid"}}) {
    SCOPED_TRACE(selector);
    CFStringRef value = nullptr;
    UInt32 used = 0;
    ASSERT_EQ(device.GetPropertyData(address(code(selector)), 0, nullptr, sizeof value, &used, &value),
              kCMIOHardwareNoError);
    const RefPtr<const __CFString> held = adopt(value);
    EXPECT_EQ(used, 8u);
    EXPECT_EQ(text(value), expected);
  }
  CMIOPlugIn plugIn;
  CFStringRef name = nullptr;
  UInt32 used = 0;
  ASSERT_EQ(plugIn.GetPropertyData(address(kCMIOObjectPropertyName), 0, nullptr, 8, &used, &name), kCMIOHardwareNoError);
  EXPECT_EQ(text(adopt(name).get()), "NQ.DALPlugIn");
}

TEST(PropertyMap, ScopeAndElementDoNotMatter) {
  CMIODeviceBase device(CFSTR("Camera"), CFSTR("camera.uid"));
  const CMIOObjectPropertyAddress input{kCMIODevicePropertyTransportType, kCMIODevicePropertyScopeInput, 7};
  UInt32 value = 0, used = 0;
  EXPECT_TRUE(device.HasProperty(input));
  EXPECT_EQ(device.GetPropertyData(input, 0, nullptr, sizeof value, &used, &value), kCMIOHardwareNoError);
  EXPECT_EQ(value, UInt32(FOUR_CHAR_CODE("bltn")));
}

TEST(PropertyMap, PropertiesNotServedAnswerUnknownPropertyAndWriteNothing) {
  CMIODeviceBase device(CFSTR("Camera"), CFSTR("camera.uid"));
  for (const char* selector : {"zzzz", "plud", "ownd", "sbyu", "slay"}) {
    SCOPED_TRACE(selector);
    UInt64 value = 0x1122334455667788;
    UInt32 used = 77;
    EXPECT_EQ(device.GetPropertyData(address(code(selector)), 0, nullptr, sizeof value, &used, &value),
              kCMIOHardwareUnknownPropertyError);
    EXPECT_EQ(used, 0u);
    EXPECT_EQ(value, 0x1122334455667788u);
  }
}

TEST(PropertyMap, ReadsIntoTooSmallBuffersAreRefusedWithoutWriting) {
  CMIODeviceBase device(CFSTR("Camera"), CFSTR("camera.uid"));
  CMIOStreamBase stream;
  struct Case {
    CMIOObject* object;
    const char* selector;
    UInt32 size;
  };
  for (const Case& c : std::vector<Case>{{&device, "lmak", 4},
                                         {&device, "lnam", 7},
                                         {&device, "uid ", 0},
                                         {&device, "tran", 3},
                                         {&device, "lisa", 8},
                                         {&device, "lisr", 11},
                                         {&device, "stm#", 2},
                                         {&stream, "frrg", 8},
                                         {&stream, "nfrt", 4},
                                         {&stream, "pft ", 4}}) {
    SCOPED_TRACE(c.selector);
    unsigned char buffer[16];
    std::memset(buffer, 0xEE, sizeof buffer);
    UInt32 used = 99;
    EXPECT_EQ(c.object->GetPropertyData(address(code(c.selector)), 0, nullptr, c.size, &used, buffer),
              kCMIOHardwareBadPropertySizeError);
    EXPECT_EQ(used, 0u);
    for (unsigned char byte : buffer) ASSERT_EQ(byte, 0xEE);
  }
}

TEST(PropertyMap, DeviceFieldsAreReadAndSet) {
  CMIODeviceBase device(CFSTR("Camera"), CFSTR("camera.uid"));
  auto set = [&](const char* selector, UInt32 value, UInt32 size = 4) {
    return device.SetPropertyData(address(code(selector)), 0, nullptr, size, &value);
  };
  auto get = [&](const char* selector) {
    UInt32 value = 0xDEAD, used = 0;
    EXPECT_EQ(device.GetPropertyData(address(code(selector)), 0, nullptr, sizeof value, &used, &value),
              kCMIOHardwareNoError);
    return value;
  };
  EXPECT_EQ(get("stm#"), 0u) << "no stream yet";
  EXPECT_EQ(set("ixna", 5), kCMIOHardwareNoError);
  EXPECT_EQ(get("ixna"), 1u);
  EXPECT_EQ(set("pmnh", 42), kCMIOHardwareNoError);
  EXPECT_EQ(get("pmnh"), 42u);
  EXPECT_EQ(set("lisa", 0), kCMIOHardwareNoError);
  EXPECT_EQ(set("lisa", 0), kCMIOHardwareNoError);
  EXPECT_EQ(set("lisr", 0), kCMIOHardwareNoError);
  EXPECT_EQ(device.GetListenerCount(), 1);
  unsigned char listener[12];
  std::memset(listener, 0xEE, sizeof listener);
  UInt32 used = 0;
  EXPECT_EQ(device.GetPropertyData(address(kCMIOObjectPropertyListenerAdded), 0, nullptr, 12, &used, listener),
            kCMIOHardwareNoError);
  EXPECT_EQ(used, 12u);
  for (unsigned char byte : listener) EXPECT_EQ(byte, 0);

  EXPECT_EQ(set("ixna", 1, 2), kCMIOHardwareBadPropertySizeError) << "a set reads 4 bytes";
  EXPECT_EQ(get("ixna"), 1u);
  EXPECT_EQ(set("lmak", 1), kCMIOHardwareIllegalOperationError);
  EXPECT_EQ(set("zzzz", 1), kCMIOHardwareUnknownPropertyError);
}

TEST(PropertyMap, UIDIsANewReferenceEachTime) {
  const RefPtr<const __CFString> uid =
      adopt(CFStringCreateWithCString(nullptr, "camera.uid.owned", kCFStringEncodingUTF8));
  CMIODeviceBase device(CFSTR("Camera"), uid.get());
  const CFIndex before = CFGetRetainCount(uid.get());
  CFStringRef first = nullptr, second = nullptr;
  UInt32 used = 0;
  device.GetPropertyData(address(kCMIODevicePropertyDeviceUID), 0, nullptr, 8, &used, &first);
  device.GetPropertyData(address(kCMIODevicePropertyDeviceUID), 0, nullptr, 8, &used, &second);
  EXPECT_EQ(CFGetRetainCount(uid.get()), before + 2);
  (void)adopt(first);
  (void)adopt(second);
  EXPECT_EQ(CFGetRetainCount(uid.get()), before);
}

TEST(PropertyMap, SelectorNames) {
  EXPECT_STREQ(CMIOPropertyMap::CStringFromSelector(kCMIOObjectPropertyName), "kCMIOObjectPropertyName");
  EXPECT_STREQ(CMIOPropertyMap::CStringFromSelector(FOUR_CHAR_CODE("frrg")), "kCMIOStreamPropertyFrameRateRanges");
  EXPECT_STREQ(CMIOPropertyMap::CStringFromSelector(FOUR_CHAR_CODE("inpt")), "kCMIODevicePropertyScopeInput");
  EXPECT_STREQ(CMIOPropertyMap::CStringFromSelector(FOUR_CHAR_CODE("yes ")),
               "kCMIOHardwarePropertyAllowScreenCaptureDevices");
  EXPECT_STREQ(CMIOPropertyMap::CStringFromSelector(FOUR_CHAR_CODE("pmot")), "unknown");
  EXPECT_STREQ(CMIOPropertyMap::CStringFromSelector(0), "unknown");
}
