#include <CoreMediaIO/CMIOHardwarePlugIn.h>

#include "backend/DALObjectRegistry.h"

OSStatus CMIOObjectCreate(CMIOHardwarePlugInRef owningPlugIn, CMIOObjectID owningObjectID, CMIOClassID classID,
                          CMIOObjectID* objectID) {
  return CMIODAL::ObjectRegistry::shared().create(owningPlugIn, owningObjectID, classID, objectID);
}

OSStatus CMIOObjectsPublishedAndDied(CMIOHardwarePlugInRef owningPlugIn, CMIOObjectID owningObjectID,
                                     UInt32 numberPublishedCMIOObjects, const CMIOObjectID publishedCMIOObjects[],
                                     UInt32 numberDeadCMIOObjects, const CMIOObjectID deadCMIOObjects[]) {
  return CMIODAL::ObjectRegistry::shared().publishedAndDied(owningPlugIn, owningObjectID, numberPublishedCMIOObjects,
                                                            publishedCMIOObjects, numberDeadCMIOObjects,
                                                            deadCMIOObjects);
}

OSStatus CMIOObjectPropertiesChanged(CMIOHardwarePlugInRef owningPlugIn, CMIOObjectID objectID, UInt32 numberAddresses,
                                     const CMIOObjectPropertyAddress addresses[]) {
  return CMIODAL::ObjectRegistry::shared().propertiesChanged(owningPlugIn, objectID, numberAddresses, addresses);
}
