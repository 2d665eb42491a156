#include <Foundation/Foundation.h>

#include <gtest/gtest.h>

#include <CoreFoundation/CFDictionary.h>

namespace {

TEST(NSException, RaiseThrowsTheExceptionWithItsNameAndReason) {
  objc::AutoreleasePool pool;
  long countWhileCaught = 0;
  try {
    NSException::raise_format(NSInvalidArgumentException, NSSTR("index %d beyond %@"), 9, NSSTR("bounds"));
    FAIL() << "raise returned";
  } catch (const NSException::Raised& raised) {
    NSException* exception = raised.exception();
    ASSERT_NE(exception, nullptr);
    EXPECT_TRUE(exception->name()->isEqualToString(NSInvalidArgumentException));
    EXPECT_STREQ(exception->reason()->UTF8String(), "index 9 beyond bounds");
    EXPECT_STREQ(exception->description()->UTF8String(), "index 9 beyond bounds");
    EXPECT_STREQ(raised.what(), "index 9 beyond bounds");
    EXPECT_EQ(exception->userInfo(), nullptr);
    countWhileCaught = exception->retainCount();
  }
  // The thrown object held its own reference, beside the pool's.
  EXPECT_GE(countWhileCaught, 2);
}

TEST(NSException, KeepsItsUserInfoAndDescribesItselfForFormats) {
  objc::AutoreleasePool pool;
  const void* keys[] = {CFSTR("frame")};
  const void* values[] = {CFSTR("7")};
  CFDictionaryRef info = CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks,
                                            &kCFTypeDictionaryValueCallBacks);
  NSException* exception = NSException::exceptionWithName_reason_userInfo(
      NSGenericException, NSSTR("no frame"), bridge_cast<NSDictionary*>(info));
  CFRelease(info);
  EXPECT_EQ(CFDictionaryGetValue(bridge_cast<CFDictionaryRef>(exception->userInfo()), CFSTR("frame")), CFSTR("7"));
  NSString* line = NSString::stringWithFormat(NSSTR("NSException{ %@ }"), exception);
  EXPECT_STREQ(line->UTF8String(), "NSException{ no frame }");
  EXPECT_THROW(exception->raise(), NSException::Raised);
}

TEST(NSError, ViewsTheCFErrorItIs) {
  objc::AutoreleasePool pool;
  NSError* error = NSError::errorWithDomain_code_userInfo(NSPOSIXErrorDomain, 2, nullptr);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(CFGetTypeID(error->cfError()), CFErrorGetTypeID());
  EXPECT_TRUE(error->domain()->isEqualToString(NSPOSIXErrorDomain));
  EXPECT_TRUE(CFEqual(error->domain()->cfString(), kCFErrorDomainPOSIX));
  EXPECT_EQ(error->code(), 2);
  EXPECT_NE(error->userInfo(), nullptr);
  EXPECT_GT(error->localizedDescription()->length(), 0u);
  EXPECT_GT(error->description()->length(), 0u);
  EXPECT_EQ(NSError::errorWithDomain_code_userInfo(nullptr, 1, nullptr), nullptr);
}

}  // namespace
