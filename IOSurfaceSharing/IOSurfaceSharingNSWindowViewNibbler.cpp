#include "IOSurfaceSharingNSWindowViewNibbler.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSKeyValueCoding.h>

OBJC_CLASS_DEFINE(IOSurfaceSharingNSWindowViewNibbler)
NS_PROPERTIES(IOSurfaceSharingNSWindowViewNibbler,
              NS_READONLY_PROPERTY("windowInfoController",
                                   &IOSurfaceSharingNSWindowViewNibbler::windowInfoController))

IOSurfaceSharingNSWindowInfoController* IOSurfaceSharingNSWindowViewNibbler::windowInfoController() const {
  return NSDynamicCast<IOSurfaceSharingNSWindowInfoController>(nibblerController());
}
