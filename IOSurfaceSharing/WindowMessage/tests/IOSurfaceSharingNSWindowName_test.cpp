#include "IOSurfaceSharingNSWindowName.h"

#include <gtest/gtest.h>
#include <objc/RefPtr.h>

namespace {

std::string text(CFStringRef string) {
  char buffer[256] = {};
  return string && CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8) ? buffer
                                                                                            : "(none)";
}

TEST(IOSurfaceSharingNSWindowName, NamesTheWindowAfterPortNameAndNumber) {
  const struct {
    CFStringRef name;
    uint32_t port;
    const char* title;
  } cases[] = {
      {CFSTR(kIOSurfaceSharingPublishedPortName), 30100,
       "com.quillfen.Moxicam.IOSurfaceSharing:30100.NSWindow"},
      {CFSTR("other"), 0, "other.NSWindow"},
      {CFSTR("other"), 4294967295u, "other:4294967295.NSWindow"},
      {nullptr, 30100, "(none)"},
  };
  for (const auto& c : cases) {
    auto title = adopt(IOSurfaceSharingNSWindow_CopyMangledVersionOfPublishedServerPortName(c.name, c.port));
    EXPECT_EQ(text(title.get()), c.title);
  }
}

}  // namespace
