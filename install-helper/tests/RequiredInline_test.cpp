#include "RequiredInline.h"

#include <CoreFoundation/CFNumber.h>
#include <gtest/gtest.h>

#include <string>

#include "MessageCollector.h"

namespace {

std::string text(CFStringRef string) {
  char buffer[1024] = {};
  if (string) CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

TEST(RequiredInline, AFailedArgumentCheckIsReportedWithFunctionLineAndFile) {
  MessageCollector console;
  EXPECT_EQ(__CFRequiredInlineVerbose(0, "main", "AuthDittoToolCocoaMain", 133, "SRC>>argc > 5", 0), 0);
  EXPECT_EQ(console.only(), "REQUIREMENT - SRC>>argc > 5 in main:133 (AuthDittoToolCocoaMain)");
  EXPECT_EQ(__CFRequiredInlineVerbose(7, "main", "AuthDittoToolCocoaMain", 133, "SRC>>argc > 5", 1), 7);
  EXPECT_TRUE(console.drain().empty());
}

TEST(RequiredInline, ANullObjectIsReportedAsRequiredNotNull) {
  MessageCollector console;
  EXPECT_EQ(__CFRequiredNotCFNullInlineVerbose(kCFNull, "Load", "Loader.cpp", 7, "plist"), 0);
  char value[32];
  snprintf(value, sizeof value, "0x%08lx", reinterpret_cast<unsigned long>(kCFNull));
  EXPECT_EQ(console.only(),
            std::string("REQUIRED_NOT_NULL ") + value + "==NULL : plist in Load LINE# 7 (Loader.cpp)\n");
  EXPECT_EQ(__CFRequiredNotCFNullInlineVerbose(CFSTR("x"), "Load", "Loader.cpp", 7, "plist"), 1);
  EXPECT_TRUE(console.drain().empty());
}

TEST(RequiredInline, ChecksAnswerWhetherTheirRequirementHolds) {
  objc::AutoreleasePool pool;
  int one = 1;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberIntType, &one);
  dispatch_queue_t queue = dispatch_queue_create("RequiredInlineTest", DISPATCH_QUEUE_SERIAL);
  struct Case {
    const char* what;
    int answer;
    int expected;
  };
  const Case cases[] = {
      {"condition 5", __CFRequiredInline(5), 1},
      {"condition 0", __CFRequiredInline(0), 0},
      {"not null: string", __CFRequiredNotCFNullInline(CFSTR("x")), 1},
      {"not null: null", __CFRequiredNotCFNullInline(nullptr), 0},
      {"not null: kCFNull", __CFRequiredNotCFNullInline(kCFNull), 0},
      {"type of: string", __CFRequiredTypeOfInline(CFSTR("x"), CFStringGetTypeID()), 1},
      {"type of: number as string", __CFRequiredTypeOfInline(number, CFStringGetTypeID()), 0},
      {"type of: kCFNull", __CFRequiredTypeOfInline(kCFNull, CFNullGetTypeID()), 0},
      {"ref count: number", __CFRequiredTypeHasRefCountInline(number), 1},
      {"ref count: null", __CFRequiredTypeHasRefCountInline(nullptr), 0},
      {"queue", __DispatchRequiredInline(queue), 1},
      {"no queue", __DispatchRequiredInline(nullptr), 0},
      {"not nil: string", __NSRequiredNotNilInline(NSSTR("x")), 1},
      {"not nil: nil", __NSRequiredNotNilInline(nullptr), 0},
      {"not nil: NSNull", __NSRequiredNotNilInline(NSNull::null()), 0},
      {"selector: nil", __NSRequiredHasSelectorInline(nullptr, sel_registerName("description")), 0},
      {"noErr", __OSStatusRequiredInline(noErr), 1},
      {"paramErr", __OSStatusRequiredInline(-50), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.answer, c.expected) << c.what;
  dispatch_release(queue);
  CFRelease(number);
}

TEST(RequiredInline, LocationsFormatAndAnswerEmptyTextsForWhatIsMissing) {
  const CFLogLocation full{"Tool.cpp", "main", 133, "SRC>>argc > 5"};
  const CFLogLocation bare{nullptr, nullptr, 9, nullptr};
  CFStringRef fullText = CFLocationErrorCopyString(&full, CFSTR("REQUIREMENT"));
  CFStringRef bareText = CFLocationErrorCopyString(&bare, CFSTR("REQUIREMENT"));
  CFStringRef noneText = CFLocationErrorCopyString(nullptr, CFSTR("REQUIREMENT"));
  EXPECT_EQ(text(fullText), "REQUIREMENT - SRC>>argc > 5 in main:133 (Tool.cpp)");
  EXPECT_EQ(text(bareText), "REQUIREMENT -  in :9 ()");
  EXPECT_EQ(text(noneText), "");
  CFRelease(fullText);
  CFRelease(bareText);
  CFRelease(noneText);
  EXPECT_STREQ(CFLogLocationGetFileName(&bare), "");
  EXPECT_STREQ(CFLogLocationGetFunction(&bare), "");
  EXPECT_STREQ(CFLogLocationGetCode(nullptr), "");
  EXPECT_EQ(CFLogLocationGetLineNumber(&full), 133);
}

TEST(RequiredInline, PrintersAndSmallHelpers) {
  objc::AutoreleasePool pool;
  MessageCollector console;
  __NSLogString(CFSTR("through the hook"));
  EXPECT_EQ(console.only(), "through the hook");
  EXPECT_STREQ(NSObjectConciseDesc(nullptr)->UTF8String(), "(nil)");
  NSObject* object = NSObject::alloc()->init();
  EXPECT_STREQ(NSObjectConciseDesc(object)->UTF8String(), object->className());
  const long before = object->retainCount();
  EXPECT_EQ(MRR_SafeAutorelease(object), object);
  EXPECT_EQ(object->retainCount(), before);
  EXPECT_EQ(MRR_SafeAutorelease(nullptr), nullptr);
  EXPECT_NE(___softlink_CFTypeRefFunctionPointer("CFAutorelease"), nullptr);
  EXPECT_EQ(___softlink_CFTypeRefFunctionPointer("NoSuchFunction"), nullptr);
}

}  // namespace
