#include "NSWindow_MouseMoveSize.h"

#include <algorithm>

#include <AppKit/NSScreen.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>

#include "CoreMachDebug.h"

int import_category_NSWindow_MouseMoveSize() {
  if (!VERIFY(import_protocol_MouseCapture())) return 0;
  return 1;
}

namespace {

enum : uint32_t { kModeIdle = 0, kModeMove = 1, kModeTopLeft = 2, kModeTopRight = 3, kModeBottomRight = 4, kModeBottomLeft = 5 };

MouseMoveSize* hooksOf(NSWindow* window) { return dynamic_cast<MouseMoveSize*>(window); }

// The steps of NSWindow(NSWindow_MouseMoveSize), bound to the capture hooks of a window.
class WindowMouseMoveSize : public protocol_MouseCapture {
 public:
  explicit WindowMouseMoveSize(NSWindow* window) : mWindow(window) {}

  void mouseCaptureBegin(MouseCaptureRecord* record) override { windowMouseDownBegin(record); }
  void mouseCaptureMove(MouseCaptureRecord* record) override { windowMouseMove(record); }
  void mouseCaptureUp(MouseCaptureRecord* record) override { windowMouseUp(record); }

 private:
  void windowMouseDownBegin(MouseCaptureRecord* r) {
    r->startFrame = mWindow->frame();
    switch (r->hitRegion) {
      case 1: r->mode = kModeTopLeft; break;
      case 2: r->mode = kModeTopRight; break;
      case 3: r->mode = kModeBottomLeft; break;
      case 4: r->mode = kModeBottomRight; break;
      default:
        r->mode = kModeMove;
        r->dragOffset = NSMakePoint(r->downLocation.x - r->startFrame.origin.x, r->downLocation.y - r->startFrame.origin.y);
        break;
    }
  }

  void windowMouseMove(MouseCaptureRecord* r) {
    switch (r->mode) {
      case kModeMove: windowMouseMoveDragging(r); break;
      case kModeTopLeft: windowMouseSizeFromCorner(r, -1, +1); break;
      case kModeTopRight: windowMouseSizeFromCorner(r, +1, +1); break;
      case kModeBottomRight: windowMouseSizeFromCorner(r, +1, -1); break;
      case kModeBottomLeft: windowMouseSizeFromCorner(r, -1, -1); break;
      default: break;
    }
  }

  void windowMouseMoveDragging(MouseCaptureRecord* r) {
    NSPoint origin = NSMakePoint(r->location.x - r->dragOffset.x, r->location.y - r->dragOffset.y);
    if (!r->unconstrainedMove) {
      const NSRect screen = NSScreen::mainScreen()->frame();
      const CGFloat top = NSMaxY(screen);
      const CGFloat height = mWindow->frame().size.height;
      if (origin.y + height > top) origin.y = top - height;
    }
    mWindow->setFrameOrigin(origin);
    if (MouseMoveSize* hooks = hooksOf(mWindow)) hooks->windowMouseMoveSize_OnDragMoved();
  }

  // A resize from a corner: xSide -1 for a left corner, +1 for a right one; ySide +1 for a top
  // corner, -1 for a bottom one. The dragged corner follows the mouse; the window shifts when
  // the size meets its limits.
  void windowMouseSizeFromCorner(MouseCaptureRecord* r, int xSide, int ySide) {
    const NSRect f = r->startFrame;
    const CGFloat dx = r->location.x - r->downLocation.x;
    const CGFloat dy = r->location.y - r->downLocation.y;
    const NSSize wanted = NSMakeSize(f.size.width + xSide * dx, f.size.height + ySide * dy);
    NSSize size = wanted;
    windowConstrainSize_newWindowSize(r, &size);
    const CGFloat x = xSide < 0 ? f.origin.x + dx : f.origin.x + wanted.width - size.width;
    const CGFloat y = ySide > 0 ? f.origin.y + wanted.height - size.height : f.origin.y + dy;
    mWindow->setFrame_display_animate(NSMakeRect(x, y, size.width, size.height), true, false);
  }

  void windowConstrainSize_newWindowSize(MouseCaptureRecord*, NSSize* size) {
    const NSSize min = mWindow->minSize(), max = mWindow->maxSize();
    size->width = std::min(std::max(size->width, min.width), max.width);
    size->height = std::min(std::max(size->height, min.height), max.height);
    if (MouseMoveSize* hooks = hooksOf(mWindow)) *size = hooks->windowMouseMoveSize_ConstrainAspectRatio(*size);
  }

  void windowMouseUp(MouseCaptureRecord* r) {
    if (r->location.x == r->downLocation.x && r->location.y == r->downLocation.y) {
      if (MouseMoveSize* hooks = hooksOf(mWindow)) hooks->windowMouseMoveSize_SingleClick();
    }
    r->mode = kModeIdle;
  }

  NSWindow* mWindow;
};

}  // namespace

std::unique_ptr<protocol_MouseCapture> NSWindow_protocol_MouseCapturePrivate(NSWindow* window) {
  return std::make_unique<WindowMouseMoveSize>(window);
}

uint32_t MouseMoveSize::windowMouseMoveSize_MouseHitTest_cornerSize(NSWindow* window, NSEvent* event, NSSize size) {
  if (!window || !event || !window->contentView()) return 0;
  const NSRect b = window->contentView()->bounds();
  const NSPoint p = event->locationInWindow();
  const NSRect corners[4] = {
      NSMakeRect(b.origin.x, b.origin.y + b.size.height - size.height, size.width, size.height),
      NSMakeRect(b.origin.x + b.size.width - size.width, b.origin.y + b.size.height - size.height, size.width, size.height),
      NSMakeRect(b.origin.x, b.origin.y, size.width, size.height),
      NSMakeRect(b.origin.x + b.size.width - size.width, b.origin.y, size.width, size.height),
  };
  for (uint32_t i = 0; i < 4; ++i) {
    if (NSPointInRect(p, corners[i])) return i + 1;
  }
  return 0;
}

void MouseMoveSize::windowMouseMoveSize_StandardBehaviour(NSWindow* window, NSEvent* mouseDown) {
  if (!window || !mouseDown) return;
  const uint32_t hit = windowMouseMoveSize_MouseHitTest_cornerSize(window, mouseDown, NSMakeSize(32, 32));
  MouseCaptureRecord record = protocol_MouseCapture::prepareRecord(mouseDown);
  record.hitRegion = hit == 4 ? 4 : 0;
  record.mode = kModeIdle;
  record.unconstrainedMove = false;
  protocol_MouseCapture::protocol_MouseCaptureEventLoop(window, &record);
}

void MouseMoveSize::windowMouseMoveSize_FromHitRegion_inHitRegion(NSWindow* window, NSEvent* mouseDown, uint32_t region) {
  if (!window || !mouseDown) return;
  MouseCaptureRecord record = protocol_MouseCapture::prepareRecord(mouseDown);
  record.hitRegion = region;
  record.mode = kModeIdle;
  record.unconstrainedMove = true;
  protocol_MouseCapture::protocol_MouseCaptureEventLoop(window, &record);
}
