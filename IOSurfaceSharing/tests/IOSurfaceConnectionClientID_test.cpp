#include "IOSurfaceConnectionClientID.h"

#include <gtest/gtest.h>

namespace {

TEST(IOSurfaceConnectionClientID, IsTheCRCOfTheUTF8Bytes) {
  objc::AutoreleasePool pool;
  struct Case {
    NSString* text;
    uint32_t id;
  } cases[] = {
      {nullptr, 0},
      {NSSTR(""), 0},
      {NSSTR("a"), 0xa864db20},
      {NSSTR("123456789"), 0x89a1897f},
      {NSSTR("com.quillfen.Moxicam.IOSurfaceSharing"), 0x2cbee498},
      {NSString::stringWithUTF8String("\xc3\xa9t\xc3\xa9"), 0x8cd0526e},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IOSurfaceConnectionClientID::uniqueIdentifierWithString(c.text), c.id)
        << (c.text ? c.text->UTF8String() : "(null)");
  }
}

}  // namespace
