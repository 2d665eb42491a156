#pragma once
// The system's side of the object tree: which plug-ins are loaded, which ids they were given
// and which objects they have published. One per process, as the system keeps one; the camera
// host reads it to list devices and streams.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include <CoreMediaIO/CMIOHardwarePlugIn.h>

namespace CMIODAL {

struct ObjectRecord {
  CMIOObjectID objectID = kCMIOObjectUnknown;
  CMIOClassID classID = 0;
  CMIOObjectID owner = kCMIOObjectUnknown;
  CMIOHardwarePlugInRef plugIn = nullptr;
  bool published = false;
};

class ObjectRegistry {
 public:
  static ObjectRegistry& shared();

  // Gives a loaded plug-in the id of its plug-in object (published, owned by the system).
  CMIOObjectID addPlugIn(CMIOHardwarePlugInRef plugIn);
  // Forgets the plug-in and every object it made.
  void removePlugIn(CMIOHardwarePlugInRef plugIn);

  OSStatus create(CMIOHardwarePlugInRef plugIn, CMIOObjectID owner, CMIOClassID classID, CMIOObjectID* objectID);
  OSStatus publishedAndDied(CMIOHardwarePlugInRef plugIn, CMIOObjectID owner, UInt32 publishedCount,
                            const CMIOObjectID published[], UInt32 deadCount, const CMIOObjectID dead[]);
  OSStatus propertiesChanged(CMIOHardwarePlugInRef plugIn, CMIOObjectID objectID, UInt32 count,
                             const CMIOObjectPropertyAddress addresses[]);

  std::optional<ObjectRecord> find(CMIOObjectID objectID) const;
  // The published objects of a class that an object owns, in the order they were made.
  std::vector<ObjectRecord> published(CMIOObjectID owner, CMIOClassID classID) const;
  // How many property changes were told for an object.
  uint64_t changesOf(CMIOObjectID objectID) const;

  // Counts every change of the tree, so that a caller can wait for the next one.
  uint64_t generation() const;
  // Answers whether the tree changed after `seen` before the deadline.
  bool waitForChange(uint64_t seen, std::chrono::milliseconds deadline) const;

 private:
  bool knowsPlugInLocked(CMIOHardwarePlugInRef plugIn) const;
  void changedLocked();

  mutable std::mutex mLock;
  mutable std::condition_variable mChanged;
  CMIOObjectID mNextID = kCMIOObjectSystemObject + 1;
  std::map<CMIOObjectID, ObjectRecord> mObjects;
  std::map<CMIOObjectID, uint64_t> mPropertyChanges;
  uint64_t mGeneration = 0;
};

}  // namespace CMIODAL
