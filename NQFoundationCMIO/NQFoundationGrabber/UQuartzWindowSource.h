#pragma once
// Where the grabber reads the window list and window images: the window server, or a stand-in
// that a test puts in its place to show the grabber windows of its own making.
#include <CoreGraphics/CGWindow.h>
#include <CoreGraphics/CGWindowImage.h>

#include <functional>

struct UQuartzWindowSource {
  // A new window list for the options (+1), or null.
  std::function<CFArrayRef(CGWindowListOption options)> copyWindowList;
  // A new image of the windows of the array (+1), or null.
  std::function<CGImageRef(CGRect screenBounds, CFArrayRef windowArray, CGWindowImageOption options)> createImage;
};

// Replaces the window server for the whole process; null brings it back.
void UQuartzWindowSource_Set(const UQuartzWindowSource* source);
CFArrayRef UQuartzWindowSource_CopyWindowList(CGWindowListOption options);
CGImageRef UQuartzWindowSource_CreateImage(CGRect screenBounds, CFArrayRef windowArray, CGWindowImageOption options);
