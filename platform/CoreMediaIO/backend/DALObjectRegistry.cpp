#include "backend/DALObjectRegistry.h"

namespace CMIODAL {

ObjectRegistry& ObjectRegistry::shared() {
  // Plug-ins may still publish from their own threads while the process exits.
  static ObjectRegistry* registry = new ObjectRegistry();
  return *registry;
}

bool ObjectRegistry::knowsPlugInLocked(CMIOHardwarePlugInRef plugIn) const {
  if (!plugIn) return false;
  for (const auto& [id, record] : mObjects) {
    if (record.plugIn == plugIn && record.classID == kCMIOPlugInClassID) return true;
  }
  return false;
}

void ObjectRegistry::changedLocked() {
  ++mGeneration;
  mChanged.notify_all();
}

CMIOObjectID ObjectRegistry::addPlugIn(CMIOHardwarePlugInRef plugIn) {
  std::lock_guard<std::mutex> guard(mLock);
  const CMIOObjectID id = mNextID++;
  mObjects[id] = ObjectRecord{id, kCMIOPlugInClassID, kCMIOObjectSystemObject, plugIn, true};
  changedLocked();
  return id;
}

void ObjectRegistry::removePlugIn(CMIOHardwarePlugInRef plugIn) {
  std::lock_guard<std::mutex> guard(mLock);
  std::erase_if(mObjects, [&](const auto& entry) { return entry.second.plugIn == plugIn; });
  changedLocked();
}

OSStatus ObjectRegistry::create(CMIOHardwarePlugInRef plugIn, CMIOObjectID owner, CMIOClassID classID,
                                CMIOObjectID* objectID) {
  if (!objectID) return kCMIOHardwareIllegalOperationError;
  std::lock_guard<std::mutex> guard(mLock);
  if (!knowsPlugInLocked(plugIn)) return kCMIOHardwareIllegalOperationError;
  if (owner != kCMIOObjectSystemObject) {
    auto found = mObjects.find(owner);
    if (found == mObjects.end() || found->second.plugIn != plugIn) return kCMIOHardwareBadObjectError;
  }
  const CMIOObjectID id = mNextID++;
  mObjects[id] = ObjectRecord{id, classID, owner, plugIn, false};
  *objectID = id;
  return kCMIOHardwareNoError;
}

OSStatus ObjectRegistry::publishedAndDied(CMIOHardwarePlugInRef plugIn, CMIOObjectID owner, UInt32 publishedCount,
                                          const CMIOObjectID published[], UInt32 deadCount,
                                          const CMIOObjectID dead[]) {
  if ((publishedCount > 0 && !published) || (deadCount > 0 && !dead)) return kCMIOHardwareIllegalOperationError;
  std::lock_guard<std::mutex> guard(mLock);
  if (!knowsPlugInLocked(plugIn)) return kCMIOHardwareIllegalOperationError;
  // Check every id first, so that a bad list changes nothing.
  auto belongs = [&](CMIOObjectID id) {
    auto found = mObjects.find(id);
    return found != mObjects.end() && found->second.plugIn == plugIn && found->second.owner == owner;
  };
  for (UInt32 i = 0; i < publishedCount; ++i) {
    if (!belongs(published[i])) return kCMIOHardwareBadObjectError;
  }
  for (UInt32 i = 0; i < deadCount; ++i) {
    if (!belongs(dead[i])) return kCMIOHardwareBadObjectError;
  }
  for (UInt32 i = 0; i < publishedCount; ++i) mObjects[published[i]].published = true;
  for (UInt32 i = 0; i < deadCount; ++i) {
    // A dead object takes the objects it owns with it.
    std::vector<CMIOObjectID> doomed{dead[i]};
    for (size_t next = 0; next < doomed.size(); ++next) {
      for (const auto& [id, record] : mObjects) {
        if (record.owner == doomed[next] && record.plugIn == plugIn) doomed.push_back(id);
      }
    }
    for (CMIOObjectID id : doomed) {
      mObjects.erase(id);
      mPropertyChanges.erase(id);
    }
  }
  changedLocked();
  return kCMIOHardwareNoError;
}

OSStatus ObjectRegistry::propertiesChanged(CMIOHardwarePlugInRef plugIn, CMIOObjectID objectID, UInt32 count,
                                           const CMIOObjectPropertyAddress addresses[]) {
  if (count > 0 && !addresses) return kCMIOHardwareIllegalOperationError;
  std::lock_guard<std::mutex> guard(mLock);
  if (!knowsPlugInLocked(plugIn)) return kCMIOHardwareIllegalOperationError;
  auto found = mObjects.find(objectID);
  if (found == mObjects.end() || found->second.plugIn != plugIn) return kCMIOHardwareBadObjectError;
  mPropertyChanges[objectID] += count;
  changedLocked();
  return kCMIOHardwareNoError;
}

std::optional<ObjectRecord> ObjectRegistry::find(CMIOObjectID objectID) const {
  std::lock_guard<std::mutex> guard(mLock);
  auto found = mObjects.find(objectID);
  if (found == mObjects.end()) return std::nullopt;
  return found->second;
}

std::vector<ObjectRecord> ObjectRegistry::published(CMIOObjectID owner, CMIOClassID classID) const {
  std::lock_guard<std::mutex> guard(mLock);
  std::vector<ObjectRecord> found;
  for (const auto& [id, record] : mObjects) {
    if (record.published && record.owner == owner && record.classID == classID) found.push_back(record);
  }
  return found;
}

uint64_t ObjectRegistry::changesOf(CMIOObjectID objectID) const {
  std::lock_guard<std::mutex> guard(mLock);
  auto found = mPropertyChanges.find(objectID);
  return found == mPropertyChanges.end() ? 0 : found->second;
}

uint64_t ObjectRegistry::generation() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mGeneration;
}

bool ObjectRegistry::waitForChange(uint64_t seen, std::chrono::milliseconds deadline) const {
  std::unique_lock<std::mutex> lock(mLock);
  return mChanged.wait_for(lock, deadline, [&] { return mGeneration != seen; });
}

}  // namespace CMIODAL
