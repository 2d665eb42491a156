#pragma once
// The owner of a Core Video display link and of its output callback. The link is kept in one
// field that every instance reads and writes under one process-wide recursive lock.
#include <AppKit/NSWindow.h>
#include <CoreVideo/CVDisplayLink.h>
#include <Foundation/NSString.h>
#include <OpenGL/OpenGL.h>

class NSUIDisplayLink : public NSObject {
  OBJC_CLASS_DECL(NSUIDisplayLink, NSObject)

 public:
  // The link (borrowed), retained for the caller (two names), or retained and autoreleased.
  CVDisplayLinkRef displayLink() const;
  void setDisplayLink(CVDisplayLinkRef link);
  CVDisplayLinkRef displayLinkRetainedCopy() const;
  CVDisplayLinkRef displayLinkCopy() const { return displayLinkRetainedCopy(); }
  CVDisplayLinkRef displayLinkAutoreleasedCopy() const;
  // The object whose lock guards the field: the constant string "displayLink".
  static NSString* displayLinkSync();

  // A new link on the active displays with this object's output callback; NO on failure.
  bool createSystemDisplayLinkObjectWithHardwareTimerCallback();
  virtual void createDisplayLinkSelf() {}
  bool startDisplayLink(bool onMainDisplay);
  bool startDisplayLink() { return startDisplayLink(false); }
  bool startDisplayLinkOnMainDisplay();
  virtual bool startDisplayLinkSelf();
  bool stopDisplayLink();
  bool displayLinkIsRunning() const;
  bool isDisplayLinkRunning() const { return displayLinkIsRunning(); }

  void setDisplayLinkDisplayWithCGLContext_pixelFormat(CGLContextObj context, CGLPixelFormatObj pixelFormat);
  bool setDisplayLinkDisplayToWindowDisplay(NSObject* window);
  bool setDisplayLinkDisplayToMainDisplay();
  CGDirectDisplayID currentDisplayID() const;

  // Each tick, on the link's thread; nothing here.
  virtual CVReturn displayLinkOutputForTime(const CVTimeStamp* outputTime);
  // The host time now, every other field zero.
  static CVTimeStamp displayLinkCurrentTime();

 protected:
  NSUIDisplayLink() = default;
  void dealloc() override;
  // The link when the field holds one, reported otherwise.
  CVDisplayLinkRef requiredDisplayLink() const;

 private:
  CVDisplayLinkRef _displayLink = nullptr;
};
