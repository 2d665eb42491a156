#pragma once
// One camera plug-in instance as the system holds it: made by its factory, asked for the
// plug-in interface, given its object id and initialised on a thread of its own that runs a
// run loop, and torn down on that thread again.
#include <CoreFoundation/CFUUID.h>
#include <CoreMediaIO/CMIOHardwarePlugIn.h>

#include <memory>
#include <string>

#include "PlugInThread.h"

namespace CameraHost {

class LoadedPlugIn {
 public:
  // Null, with the reason in `error`, when the factory makes nothing, the instance has no
  // plug-in interface or refuses to initialise.
  static std::unique_ptr<LoadedPlugIn> create(CFUUIDRef factoryID, const std::string& bundlePath, std::string& error);
  ~LoadedPlugIn();
  LoadedPlugIn(const LoadedPlugIn&) = delete;
  LoadedPlugIn& operator=(const LoadedPlugIn&) = delete;

  CMIOHardwarePlugInRef interface() const { return mInterface; }
  CMIOObjectID objectID() const { return mObjectID; }
  const std::string& bundlePath() const { return mBundlePath; }

 private:
  LoadedPlugIn(CMIOHardwarePlugInRef interface, std::string bundlePath);

  std::unique_ptr<PlugInThread> mThread;
  CMIOHardwarePlugInRef mInterface;
  CMIOObjectID mObjectID = kCMIOObjectUnknown;
  bool mInitialized = false;
  std::string mBundlePath;
};

}  // namespace CameraHost
