#include "CMIOPlugIn.h"

#include "CMIOPropertyMapTables.h"

namespace NQCMIO {

CMIOPlugIn::CMIOPlugIn() : CMIOObject(CMIODALPlugin_PropertyMap) {}

// The name goes out as a reference the caller releases, so it is retained like any other.
CFStringRef CMIOPlugIn::CopyObjectName() const { return RefPtr(CFSTR("NQ.DALPlugIn")).leak(); }

}  // namespace NQCMIO
