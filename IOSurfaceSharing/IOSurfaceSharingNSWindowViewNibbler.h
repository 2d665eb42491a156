#pragma once
// The message window's diagnostic panel as a view: it loads the nib of its class name
// (Resources/IOSurfaceSharingNSWindowViewNibbler.nib), whose controller decodes the message of
// a window image and whose views are bound to what the controller found.
#include "IOSurfaceSharingNSWindowInfoController.h"
#include "NSUIViewNibbler.h"

class IOSurfaceSharingNSWindowViewNibbler : public NSUIViewNibbler {
  OBJC_CLASS_DECL(IOSurfaceSharingNSWindowViewNibbler, NSUIViewNibbler)

 public:
  // The nib's controller; null until the nib is loaded, or when it made another kind.
  IOSurfaceSharingNSWindowInfoController* windowInfoController() const;

 protected:
  IOSurfaceSharingNSWindowViewNibbler() = default;
};
