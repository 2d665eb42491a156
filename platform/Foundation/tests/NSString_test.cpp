#include <Foundation/Foundation.h>

#include <gtest/gtest.h>

namespace {

TEST(NSString, IsTheCFStringItViews) {
  objc::AutoreleasePool pool;
  CFStringRef literal = CFSTR("Moxicam");
  NSString* string = NSSTR("Moxicam");
  EXPECT_EQ(static_cast<const void*>(string), static_cast<const void*>(literal));
  EXPECT_EQ(string->cfString(), literal);
  EXPECT_EQ(string->length(), 7u);
  EXPECT_EQ(string->characterAtIndex(0), 'M');
  EXPECT_STREQ(string->UTF8String(), "Moxicam");
  EXPECT_EQ(string->description(), string);
}

TEST(NSString, FormatsWithObjectsAndConvertsToUTF8) {
  objc::AutoreleasePool pool;
  NSString* formatted = NSString::stringWithFormat(NSSTR("%@ %d %s %.2f"), NSSTR("frames"), 30, "fps", 0.5);
  ASSERT_NE(formatted, nullptr);
  EXPECT_STREQ(formatted->UTF8String(), "frames 30 fps 0.50");

  NSString* accented = NSString::stringWithUTF8String("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC");
  ASSERT_NE(accented, nullptr);
  EXPECT_EQ(accented->length(), 7u);
  EXPECT_STREQ(accented->UTF8String(), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC");
  EXPECT_EQ(NSString::stringWithUTF8String(nullptr), nullptr);
  EXPECT_EQ(NSString::stringWithFormat(nullptr), nullptr);
}

TEST(NSString, ComparesByContent) {
  objc::AutoreleasePool pool;
  NSString* made = NSString::stringWithUTF8String("beta");
  EXPECT_TRUE(made->isEqualToString(NSSTR("beta")));
  EXPECT_FALSE(made->isEqualToString(NSSTR("Beta")));
  EXPECT_FALSE(made->isEqualToString(nullptr));
  EXPECT_EQ(made->compare(NSSTR("alpha")), NSOrderedDescending);
  EXPECT_EQ(made->compare(NSSTR("gamma")), NSOrderedAscending);
  EXPECT_EQ(made->compare(NSSTR("beta")), NSOrderedSame);
  EXPECT_EQ(made->caseInsensitiveCompare(NSSTR("BETA")), NSOrderedSame);
}

TEST(NSMutableString, AppendsAndReplaces) {
  objc::AutoreleasePool pool;
  NSMutableString* text = NSMutableString::string();
  text->appendString(NSSTR("Webcam"));
  text->appendFormat(NSSTR(" %@ #%d"), NSSTR("Moxicam"), 2);
  EXPECT_STREQ(text->UTF8String(), "Webcam Moxicam #2");
  text->setString(NSSTR("reset"));
  EXPECT_TRUE(text->isEqualToString(NSSTR("reset")));
}

TEST(NSAutoreleasePool, ReleasesWhatWasAutoreleasedInsideIt) {
  CFStringRef kept = nullptr;
  {
    NSAutoreleasePool* pool = NSAutoreleasePool::alloc()->init();
    NSString* made = NSString::stringWithFormat(NSSTR("%d"), 12345);
    kept = made->cfString();
    CFRetain(kept);
    EXPECT_EQ(CFGetRetainCount(kept), 2);
    pool->drain();
  }
  EXPECT_EQ(CFGetRetainCount(kept), 1);
  CFRelease(kept);
}

TEST(NSNull, IsKCFNull) {
  EXPECT_EQ(static_cast<const void*>(NSNull::null()), static_cast<const void*>(kCFNull));
  EXPECT_EQ(NSNull::null(), NSNull::null());
}

}  // namespace
