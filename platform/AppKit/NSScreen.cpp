#include <AppKit/NSScreen.h>

#include <CoreGraphics/CGDisplay.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>

#include "backend/ScreenSpace.h"
#include "backend/XConnection.h"

OBJC_CLASS_DEFINE(NSScreen)

NSArray* NSScreen::screens() {
  NSMutableArray* screens = NSMutableArray::array();
  std::vector<CGRect> bounds = AppKitBackend::screensInServerSpace();
  std::vector<CGDirectDisplayID> ids;
  if (AppKitBackend::XConnection::current()) {
    uint32_t count = 0;
    if (CGGetActiveDisplayList(0, nullptr, &count) == kCGErrorSuccess && count == bounds.size()) {
      ids.resize(count);
      CGGetActiveDisplayList(count, ids.data(), &count);
    }
  }
  for (size_t i = 0; i < bounds.size(); ++i) {
    RefPtr<NSScreen> screen = adopt(new NSScreen());
    screen->mFrame = AppKitBackend::cocoaRectFromServer(bounds[i]);
    screen->mDisplayID = i < ids.size() ? ids[i] : 0;
    screens->addObject(screen.get());
  }
  return screens;
}

NSScreen* NSScreen::mainScreen() { return static_cast<NSScreen*>(screens()->firstObject()); }

NSDictionary* NSScreen::deviceDescription() const {
  return NSDictionary::dictionaryWithObjects_forKeys(
      {NSNumber::numberWithUnsignedInt(mDisplayID),
       NSString::stringWithFormat(NSSTR("{%g, %g}"), mFrame.size.width, mFrame.size.height)},
      {NSSTR("NSScreenNumber"), NSSTR("NSDeviceSize")});
}
