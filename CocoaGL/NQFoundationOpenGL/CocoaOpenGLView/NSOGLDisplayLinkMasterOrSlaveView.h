#pragma once
// A display-link view that joins the controller its interface file connects: once the
// application's windows are up, the master starts the link and every other view joins it as
// a slave. Which view is master is set on the controller beforehand.
#include <objc/WeakPtr.h>

#include "NSOGLDisplayLinkViewBase.h"

class NSOGLDisplayLinkMasterOrSlaveView : public NSOGLDisplayLinkViewBase {
  OBJC_CLASS_DECL(NSOGLDisplayLinkMasterOrSlaveView, NSOGLDisplayLinkViewBase)

 public:
  // The outlet's link object.
  NSObject* displayLink() override;
  bool isMasterDisplayLinkViewDelegate();
  void displayLinkViewDidFinishStartup(NSObject* sender) override;

  // Outlet of the interface file, not retained: a display-link controller or its proxy (an
  // NSUIDisplayLinkViewControllerProtocol).
  WeakPtr<NSObject> outletDisplayLink;

 protected:
  NSOGLDisplayLinkMasterOrSlaveView() = default;
  void dealloc() override;

 private:
  NSUIDisplayLinkViewControllerProtocol* controller(RefPtr<NSObject>& holder);
};
