#pragma once
// A window list of the test's making, put in place of the window server for the grabber, and
// a record of the window arrays the grabber asked images of.
#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGColorSpace.h>
#include <objc/RefPtr.h>

#include <mutex>
#include <string>
#include <vector>

#include "../UQuartzWindowSource.h"

namespace moxicam::test {

struct FakeWindow {
  CGWindowID number;
  std::string owner;
  SInt32 sharingState = kCGWindowSharingReadOnly;
  bool onScreen = true;
  CGRect bounds = CGRectMake(0, 0, 100, 100);
};

class FakeWindowList {
 public:
  FakeWindowList() {
    UQuartzWindowSource source;
    source.copyWindowList = [this](CGWindowListOption) { return copyList(); };
    source.createImage = [this](CGRect, CFArrayRef windows, CGWindowImageOption) { return createImage(windows); };
    UQuartzWindowSource_Set(&source);
  }
  ~FakeWindowList() { UQuartzWindowSource_Set(nullptr); }

  void set(std::vector<FakeWindow> windows) {
    std::lock_guard guard(mLock);
    mWindows = std::move(windows);
  }
  // The ids of each image asked for, in the order given.
  std::vector<std::vector<CGWindowID>> imageRequests() {
    std::lock_guard guard(mLock);
    return mImageRequests;
  }
  // The size of the image the fake window server answers with.
  void setImageSize(size_t width, size_t height) {
    std::lock_guard guard(mLock);
    mImageWidth = width;
    mImageHeight = height;
  }

 private:
  static void setNumber(CFMutableDictionaryRef entry, CFStringRef key, SInt32 value) {
    auto number = adopt(CFNumberCreate(nullptr, kCFNumberSInt32Type, &value));
    CFDictionarySetValue(entry, key, number.get());
  }

  CFArrayRef copyList() {
    std::lock_guard guard(mLock);
    CFMutableArrayRef list = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    for (const FakeWindow& window : mWindows) {
      auto entry = adopt(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                   &kCFTypeDictionaryValueCallBacks));
      setNumber(entry.get(), kCGWindowNumber, SInt32(window.number));
      setNumber(entry.get(), kCGWindowLayer, 0);
      setNumber(entry.get(), kCGWindowSharingState, window.sharingState);
      auto owner = adopt(CFStringCreateWithCString(nullptr, window.owner.c_str(), kCFStringEncodingUTF8));
      if (!window.owner.empty()) CFDictionarySetValue(entry.get(), kCGWindowOwnerName, owner.get());
      CFDictionarySetValue(entry.get(), kCGWindowIsOnscreen, window.onScreen ? kCFBooleanTrue : kCFBooleanFalse);
      auto bounds = adopt(CGRectCreateDictionaryRepresentation(window.bounds));
      CFDictionarySetValue(entry.get(), kCGWindowBounds, bounds.get());
      CFArrayAppendValue(list, entry.get());
    }
    return list;
  }

  // A white image of the set size.
  CGImageRef createImage(CFArrayRef windows) {
    std::lock_guard guard(mLock);
    std::vector<CGWindowID> ids;
    for (CFIndex i = 0; i < CFArrayGetCount(windows); ++i) {
      ids.push_back(CGWindowID(reinterpret_cast<uintptr_t>(CFArrayGetValueAtIndex(windows, i))));
    }
    mImageRequests.push_back(ids);
    auto space = adopt(CGColorSpaceCreateDeviceRGB());
    auto context = adopt(CGBitmapContextCreate(nullptr, mImageWidth, mImageHeight, 8, 0, space.get(),
                                               kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little));
    CGContextSetRGBFillColor(context.get(), 1, 1, 1, 1);
    CGContextFillRect(context.get(), CGRectMake(0, 0, mImageWidth, mImageHeight));
    return CGBitmapContextCreateImage(context.get());
  }

  std::mutex mLock;
  std::vector<FakeWindow> mWindows;
  std::vector<std::vector<CGWindowID>> mImageRequests;
  size_t mImageWidth = 400;
  size_t mImageHeight = 300;
};

}  // namespace moxicam::test
