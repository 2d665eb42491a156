#include "UQuartzWindowSource.h"

#include <memory>
#include <mutex>

namespace {

std::mutex gLock;
std::shared_ptr<const UQuartzWindowSource> gSource;

std::shared_ptr<const UQuartzWindowSource> currentSource() {
  std::lock_guard guard(gLock);
  return gSource;
}

}  // namespace

void UQuartzWindowSource_Set(const UQuartzWindowSource* source) {
  std::lock_guard guard(gLock);
  gSource = source ? std::make_shared<const UQuartzWindowSource>(*source) : nullptr;
}

CFArrayRef UQuartzWindowSource_CopyWindowList(CGWindowListOption options) {
  auto source = currentSource();
  if (source && source->copyWindowList) return source->copyWindowList(options);
  return CGWindowListCopyWindowInfo(options, kCGNullWindowID);
}

CGImageRef UQuartzWindowSource_CreateImage(CGRect screenBounds, CFArrayRef windowArray, CGWindowImageOption options) {
  auto source = currentSource();
  if (source && source->createImage) return source->createImage(screenBounds, windowArray, options);
  return CGWindowListCreateImageFromArray(screenBounds, windowArray, options);
}
