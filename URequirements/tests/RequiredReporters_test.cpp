// The texts that the requirement reporters and printers post to the console queue.
#include <CoreFoundation/CFNumber.h>
#include <Foundation/Foundation.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "MessageCollector.h"
#include "URequirements.h"

namespace {

std::string hex(const void* pointer) {
  char text[32];
  snprintf(text, sizeof text, "0x%08lx", reinterpret_cast<unsigned long>(pointer));
  return text;
}

std::string descriptionOf(CFTypeRef object) {
  CFStringRef description = CFCopyDescription(object);
  char text[4096] = {};
  CFStringGetCString(description, text, sizeof text, kCFStringEncodingUTF8);
  CFRelease(description);
  return text;
}

TEST(RequiredReporters, StatusAndLocationReportsHaveTheirExactTexts) {
  MessageCollector console;
  struct Case {
    const char* name;
    void (*report)();
    std::string expected;
  };
  const Case cases[] = {
      {"REQUIREMENT", [] { __CFRequiredBody("Stream.cpp", "Start", 12, "SRC>>IsActiveDeviceValid()"); },
       "REQUIREMENT - SRC>>IsActiveDeviceValid() in Stream.cpp:12 (Start)"},
      {"REQUIRED_OSSTATUS", [] { __OSStatusRequiredBody(-43, "Open", "File.cpp", 7, "SRC>>err"); },
       "REQUIRED_OSSTATUS(-43) fnfErr-'File not found' - SRC>>err in Open:7 (File.cpp)"},
      {"REQUIRED_COREAUDIO known",
       [] { __CoreAudioRequiredBody(FOUR_CHAR_CODE("who?"), "Get", "Device.cpp", 3, "SRC>>status"); },
       "REQUIRED_COREAUDIO FAILED: kAudioHardwareUnknownPropertyError (2003332927) - SRC>>status in Get:3 (Device.cpp)"},
      {"REQUIRED_CVRETURN known", [] { __CoreVideoRequiredBody(-6661, "Make", "Buffer.cpp", 9, "SRC>>result"); },
       "REQUIRED_CVRETURN FAILED: kCVReturnInvalidArgument (-6661) - SRC>>result in Make:9 (Buffer.cpp)"},
      {"REQUIRED_CVRETURN unknown", [] { __CoreVideoRequiredBody(5, "Make", "Buffer.cpp", 9, "SRC>>result"); },
       "REQUIRED_CVRETURN FAILED: statusValue=5 - SRC>>result in Make:9 (Buffer.cpp)"},
      {"REQUIRED_NOT_NULL", [] { __CFRequiredNotCFNullBody(nullptr, "Model.cpp", "Name", 21, "machineModelName"); },
       "REQUIRED_NOT_NULL 0x00000000==NULL : machineModelName in Name LINE# 21 (Model.cpp)\n"},
      {"REQUIRED_CFTYPEOF null",
       [] { __CFRequiredTypeOfBody("REQUIRED_CFTYPEOF", nullptr, CFStringGetTypeID(), "A.cpp", "F", 4, "value"); },
       "REQUIRED_CFTYPEOF value==NULL : in F LINE# 4 (A.cpp)\n"},
      {"REQUIRED_DISPATCH_QUEUE",
       [] { __DispatchRequiredBody("REQUIRED_DISPATCH", nullptr, "Timer.cpp", "Arm", 30, "_dispatch_source"); },
       "REQUIRED_DISPATCH_QUEUE 0x00000000==NULL - _dispatch_source in Timer.cpp:30 (Arm)"},
      {"REQUIRED_NOT_NIL nil", [] { __NSRequiredNotNilBody(nullptr, "View.cpp", "Draw", 8, "SRC>>image"); },
       "REQUIRED_NOT_NIL (nil)==nil - SRC>>image in View.cpp:8 (Draw)"},
      {"__CFRequiredLogString", [] { __CFRequiredLogString("Device", "stopped"); }, "Device:stopped"},
      {"__CFRequiredPrintf", [] { __CFRequiredPrintf("sizeofData_t=%u sizeof(T)=%u\n", 4u, 8u); },
       "sizeofData_t=4 sizeof(T)=8\n"},
      {"__CFRequiredLogPrintf", [] { __CFRequiredLogPrintf("Stream", "frame %d of %s", 3, "30"); },
       "Stream frame 3 of 30"},
      {"prefix with a percent sign stays text", [] { __CFRequiredLogPrintf("100%d", "done"); }, "100%d done"},
      {"percent signs in the message", [] { __CFLogPrintf(CFSTR("%s"), "50% off %d %@"); }, "50% off %d %@"},
      {"__CFNSLog", [] { __CFNSLog(CFSTR("%d-%@"), 7, CFSTR("x")); }, "7-x"},
      {"__CFLogError without location", [] { __CFLogError(nullptr, CFSTR("lost")); }, ""},
  };
  for (const Case& entry : cases) {
    entry.report();
    EXPECT_EQ(console.only(), entry.expected) << entry.name;
  }
}

TEST(RequiredReporters, TypeMismatchNamesBothTypes) {
  MessageCollector console;
  SInt32 seven = 7;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &seven);
  __CFRequiredTypeOfBody("REQUIRED_CFTYPEOF", number, CFStringGetTypeID(), "A.cpp", "F", 4, "value");
  char ids[64];
  snprintf(ids, sizeof ids, "(%08lx!=%08lx)", CFNumberGetTypeID(), CFStringGetTypeID());
  EXPECT_EQ(console.only(), "REQUIRED_CFTYPEOF [value ((CFNumber)" + hex(number) + ") != CFStringGetTypeID() " + ids +
                                "] FAILED : in F LINE# 4 (A.cpp)\n");
  CFRelease(number);
}

TEST(RequiredReporters, ObjectReportsShowTheObject) {
  MessageCollector console;
  __NSRequiredNotNilBody(NSRequiredNotNSNullCachedValue, "View.cpp", "Draw", 8, "SRC>>image");
  const std::string nullClass = NSRequiredNotNSNullCachedValue->className();
  EXPECT_EQ(console.only(), "REQUIRED_NOT_NIL " + nullClass + "==NSNull - SRC>>image in View.cpp:8 (Draw)");

  CFErrorRef error = CFErrorCreate(nullptr, kCFErrorDomainPOSIX, 2, nullptr);
  __NSRequiredNSErrorNilBody(bridge_cast<NSError*>(error), "Load.cpp", "Read", 5, "SRC>>error");
  EXPECT_EQ(console.only(), "REQUIRED_NSERROR_NIL " + descriptionOf(error) + " - SRC>>error in Load.cpp:5 (Read)");
  CFRelease(error);
}

TEST(RequiredReporters, BadFormatsPostNothing) {
  MessageCollector console;
  __CFLogPrintf(nullptr);
  __CFLogPrintf(static_cast<CFStringRef>(static_cast<CFTypeRef>(kCFNull)));
  SInt32 seven = 7;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &seven);
  __CFLogPrintf(reinterpret_cast<CFStringRef>(number));
  __CFLogStringRefOnQueue(reinterpret_cast<CFStringRef>(number));
  __CFRequiredPrintf(nullptr);
  __CFRequiredLogString(nullptr, "x");
  CFRelease(number);
  EXPECT_TRUE(console.drain().empty());
}

TEST(RequiredReporters, MacrosReportOnlyFailuresAndNameTheCheck) {
  MessageCollector console;
  const int line = __LINE__ + 1;
  EXPECT_FALSE(REQUIREMENT(1 > 2));
  EXPECT_TRUE(REQUIREMENT(2 > 1));
  OSStatus status = 0;
  EXPECT_TRUE(REQUIRED_OSSTATUS(status = 0));
  EXPECT_TRUE(REQUIRED_NOT_NULL(&status));
  EXPECT_TRUE(REQUIRED_CFTYPEOF(CFSTR("x"), CFStringGetTypeID()));
  std::vector<std::string> messages = console.drain();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "REQUIREMENT - SRC>>1 > 2 in RequiredReporters_test.cpp:" + std::to_string(line) + " (TestBody)");

  const void* missing = nullptr;
  EXPECT_FALSE(REQUIRED_NOT_NULL(missing));
  EXPECT_FALSE(REQUIRED_NOT_NULL(kCFNull));
  messages = console.drain();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].substr(0, 47), "REQUIRED_NOT_NULL 0x00000000==NULL : missing in");
}

TEST(RequiredReporters, MessagesKeepThePostingOrder) {
  MessageCollector console;
  for (int index = 0; index < 200; ++index) __CFRequiredPrintf("%d", index);
  const std::vector<std::string> messages = console.drain();
  ASSERT_EQ(messages.size(), 200u);
  for (int index = 0; index < 200; ++index) EXPECT_EQ(messages[size_t(index)], std::to_string(index));
}

TEST(RequiredFileName, KeepsThePartAfterTheLastSlash) {
  const struct {
    const char* path;
    const char* name;
  } cases[] = {{"/src/CoreX/Thing.cpp", "Thing.cpp"}, {"Thing.cpp", "Thing.cpp"}, {"dir/", ""}, {"/", ""}};
  for (const auto& entry : cases) {
    EXPECT_STREQ(__CFConstStaticJustFileNameASCII(entry.path, strlen(entry.path)), entry.name) << entry.path;
    EXPECT_STREQ(__CFConstStaticJustFileNameUTF8(entry.path), entry.name) << entry.path;
  }
  EXPECT_EQ(__CFConstStaticJustFileNameUTF8(nullptr), nullptr);
}

TEST(RequiredMainThread, TellsTheMainThreadFromOthers) {
  EXPECT_TRUE(__NSIsRunningOnMainThread());
  bool onOtherThread = true;
  std::thread([&] { onOtherThread = __NSIsRunningOnMainThread(); }).join();
  EXPECT_FALSE(onOtherThread);

  dispatch_queue_t queue = dispatch_queue_create("RequiredMainThreadTest", DISPATCH_QUEUE_SERIAL);
  bool onMainQueue = true;
  dispatch_sync_f(queue, &onMainQueue, [](void* result) { *static_cast<bool*>(result) = __NSIsRunningOnMainQueue(); });
  EXPECT_FALSE(onMainQueue);
  dispatch_release(queue);
}

TEST(RequiredAutorelease, HandsTheObjectToThePoolWithoutReports) {
  MessageCollector console;
  EXPECT_EQ(__CFTypeRefPropertySafeRetainAndAutorelease(nullptr), nullptr);
  CFStringRef string = CFStringCreateWithCString(nullptr, "held", kCFStringEncodingUTF8);
  {
    objc::AutoreleasePool pool;
    EXPECT_EQ(__CFTypeRefPropertySafeRetainAndAutorelease(string), string);
    EXPECT_EQ(CFGetRetainCount(string), 2);
  }
  EXPECT_EQ(CFGetRetainCount(string), 1);
  CFRelease(string);
  EXPECT_TRUE(console.drain().empty());
}

}  // namespace
