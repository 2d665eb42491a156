#include "CFAudioServerPlugInAbstract.h"

#include <CoreFoundation/CFPlugIn.h>

#include "CFAudioServerRequired.h"

CFAudioServerPlugInAbstract::CFAudioServerPlugInAbstract(CFStringRef inPlugInName, CFUUIDRef inFactoryID) {
  if (REQUIRED_CFTYPEOF(inPlugInName, CFStringGetTypeID()))
    mPlugInName = RefPtr<const __CFString>(inPlugInName);
  if (REQUIRED_CFTYPEOF(inFactoryID, CFUUIDGetTypeID())) mFactoryID = RefPtr<const __CFUUID>(inFactoryID);
}

CFAudioServerPlugInAbstract::~CFAudioServerPlugInAbstract() {
  if (mFactoryID) CFPlugInRemoveInstanceForFactory(mFactoryID.get());
  mReferenceCount.fetch_sub(1);
}

void CFAudioServerPlugInAbstract::CreateInstance(CFUUIDRef) {
  if (mFactoryID) CFPlugInAddInstanceForFactory(mFactoryID.get());
  mReferenceCount.fetch_add(1);
}
