#include <CoreMediaIO/CMIOSystemObjects.h>

#include <algorithm>

#include "backend/DALObjectRegistry.h"

namespace {

CMIOSystemObject systemObject(const CMIODAL::ObjectRecord& record) {
  return CMIOSystemObject{record.objectID, record.classID, record.owner, record.plugIn, record.published};
}

}  // namespace

CMIOObjectID _CMIOSystemAddPlugIn(CMIOHardwarePlugInRef plugIn) {
  return CMIODAL::ObjectRegistry::shared().addPlugIn(plugIn);
}

void _CMIOSystemRemovePlugIn(CMIOHardwarePlugInRef plugIn) { CMIODAL::ObjectRegistry::shared().removePlugIn(plugIn); }

Boolean _CMIOSystemGetObject(CMIOObjectID objectID, CMIOSystemObject* object) {
  const std::optional<CMIODAL::ObjectRecord> found = CMIODAL::ObjectRegistry::shared().find(objectID);
  if (found && object) *object = systemObject(*found);
  return found.has_value();
}

UInt32 _CMIOSystemGetPublishedObjects(CMIOObjectID owner, CMIOClassID classID, UInt32 capacity,
                                      CMIOSystemObject objects[]) {
  const std::vector<CMIODAL::ObjectRecord> found = CMIODAL::ObjectRegistry::shared().published(owner, classID);
  const size_t written = objects ? std::min<size_t>(capacity, found.size()) : 0;
  for (size_t i = 0; i < written; ++i) objects[i] = systemObject(found[i]);
  return static_cast<UInt32>(found.size());
}

UInt64 _CMIOSystemGetPropertyChangeCount(CMIOObjectID objectID) {
  return CMIODAL::ObjectRegistry::shared().changesOf(objectID);
}

UInt64 _CMIOSystemGetGeneration(void) { return CMIODAL::ObjectRegistry::shared().generation(); }

Boolean _CMIOSystemWaitForChange(UInt64 seen, UInt32 milliseconds) {
  return CMIODAL::ObjectRegistry::shared().waitForChange(seen, std::chrono::milliseconds(milliseconds));
}
