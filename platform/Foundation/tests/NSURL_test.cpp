#include <Foundation/NSString.h>
#include <Foundation/NSURL.h>
#include <gtest/gtest.h>

namespace {

TEST(NSURL, MakesURLsFromValidTextOnly) {
  objc::AutoreleasePool pool;
  NSURL* feed =
      NSURL::URLWithString(NSSTR("http://blog.example.com/feeds/posts/default/-/Designs?max-results=1000"));
  ASSERT_NE(feed, nullptr);
  EXPECT_FALSE(feed->isFileURL());
  EXPECT_STREQ(feed->scheme()->UTF8String(), "http");
  EXPECT_STREQ(feed->host()->UTF8String(), "blog.example.com");
  EXPECT_STREQ(feed->lastPathComponent()->UTF8String(), "Designs");
  EXPECT_EQ(NSURL::URLWithString(NSSTR("http://bad host/with spaces")), nullptr);
  EXPECT_EQ(NSURL::URLWithString(NSSTR("%zz")), nullptr);
  EXPECT_EQ(NSURL::URLWithString(nullptr), nullptr);
}

TEST(NSURL, ResolvesAgainstItsBase) {
  objc::AutoreleasePool pool;
  NSURL* base = NSURL::URLWithString(NSSTR("http://example.com/feeds/"));
  NSURL* relative = NSURL::URLWithString_relativeToURL(NSSTR("posts"), base);
  ASSERT_NE(relative, nullptr);
  EXPECT_STREQ(relative->relativeString()->UTF8String(), "posts");
  EXPECT_STREQ(relative->absoluteString()->UTF8String(), "http://example.com/feeds/posts");
  EXPECT_STREQ(relative->description()->UTF8String(), "posts -- http://example.com/feeds/");
  EXPECT_TRUE(relative->baseURL()->isEqualToURL(base));
}

TEST(NSURL, MapsFilePathsBothWays) {
  objc::AutoreleasePool pool;
  NSURL* file = NSURL::fileURLWithPath(NSSTR("/tmp/My Designs/studio.plist"));
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->isFileURL());
  EXPECT_STREQ(file->absoluteString()->UTF8String(), "file:///tmp/My%20Designs/studio.plist");
  EXPECT_STREQ(file->path()->UTF8String(), "/tmp/My Designs/studio.plist");
  EXPECT_STREQ(file->pathExtension()->UTF8String(), "plist");
  EXPECT_STREQ(
      file->URLByDeletingPathExtension()->URLByAppendingPathExtension(NSSTR("xml"))->path()->UTF8String(),
      "/tmp/My Designs/studio.xml");
  EXPECT_STREQ(file->URLByDeletingLastPathComponent()
                   ->URLByAppendingPathComponent(NSSTR("b.plist"))
                   ->path()
                   ->UTF8String(),
               "/tmp/My Designs/b.plist");
  EXPECT_STREQ(NSURL::fileURLWithPath(NSSTR("/tmp/folder/"))->absoluteString()->UTF8String(),
               "file:///tmp/folder/");
  EXPECT_STREQ(NSURL::URLWithString(NSSTR("http://a/b"))->pathExtension()->UTF8String(), "");
}

}  // namespace
