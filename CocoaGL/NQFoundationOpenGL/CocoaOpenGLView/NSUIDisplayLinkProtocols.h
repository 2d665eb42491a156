#pragma once
// What a display-link controller and its views say to each other. Each message passes the
// controller as the link object.
#include <AppKit/NSWindow.h>
#include <CoreVideo/CVBase.h>
#include <Foundation/NSObject.h>

class NSUIDisplayLinkDelegate {
 public:
  virtual void setDisplayLinkRenderContextUpdateNeeded(bool needed) = 0;
  virtual bool displayLinkRenderContextUpdateNeeded() const = 0;
  // Runs the view's pending main-thread work (on the main thread, its drawable locked).
  virtual void displayLinkMainThreadOperation() = 0;
  // 1 when the view has main-thread work pending, else 0.
  virtual NSInteger displayLinkHasMainThreadOperationsPending() = 0;
  virtual bool displayLink_shouldRenderForTime(NSObject* link, const CVTimeStamp* time) = 0;
  virtual void displayLinkFlushDrawable(NSObject* link) = 0;
  virtual void displayLinkChanged(NSObject* link) = 0;
  virtual void displayLinkCreated(NSObject* link) = 0;
  virtual void displayLink_renderForTime(NSObject* link, const CVTimeStamp* time) = 0;
  virtual void displayLinkUnlockDrawable(NSObject* link) = 0;
  // A try: NO when another thread holds the drawable.
  virtual bool displayLinkLockDrawable(NSObject* link) = 0;

 protected:
  ~NSUIDisplayLinkDelegate() = default;
};

class NSUIDisplayLinkViewDelegate : public NSUIDisplayLinkDelegate {
 public:
  virtual NSWindow* displayLinkViewWindow() const = 0;

 protected:
  ~NSUIDisplayLinkViewDelegate() = default;
};

// Views are passed as objects: those that are no NSUIDisplayLinkViewDelegate are ignored.
class NSUIDisplayLinkViewControllerProtocol {
 public:
  virtual bool stopDisplayLinkDelegate(NSObject* view) = 0;
  virtual bool startDisplayLinkDelegate(NSObject* view) = 0;
  virtual void addSlaveDisplayLinkViewDelegate(NSObject* view) = 0;
  virtual void setMasterDisplayLinkViewDelegate(NSObject* view) = 0;
  virtual bool isMasterDisplayLinkViewDelegate(NSObject* view) = 0;
  // The object a view reports as its display link.
  virtual NSObject* displayLinkObject() = 0;

 protected:
  ~NSUIDisplayLinkViewControllerProtocol() = default;
};
