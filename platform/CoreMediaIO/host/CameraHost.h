#pragma once
// The camera host: loads the camera plug-ins of the DAL plug-ins folders of the system and
// local domains, keeps them and the object tree they publish, and lets a caller list their
// devices and streams.
#include <CoreFoundation/CFPlugIn.h>
#include <objc/RefPtr.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "LoadedPlugIn.h"

namespace CameraHost {

struct Device {
  LoadedPlugIn* plugIn = nullptr;
  CMIOObjectID deviceID = kCMIOObjectUnknown;
  std::string name;
  std::string uid;
  std::vector<CMIOObjectID> streams;
};

class Host {
 public:
  Host() = default;
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // <root>/System/Library/CoreMediaIO/Plug-Ins/DAL, then <root>/Library/CoreMediaIO/Plug-Ins/DAL.
  static std::vector<std::string> plugInFolders();

  // Loads every ".plugin" bundle of the folders; what could not be loaded is told in problems().
  void loadPlugIns();
  // Loads one bundle; false (with a problem told) when it gave no plug-in.
  bool loadBundle(const std::string& path);

  const std::vector<std::unique_ptr<LoadedPlugIn>>& plugIns() const { return mPlugIns; }
  const std::vector<std::string>& problems() const { return mProblems; }

  // The published devices of every plug-in, each with its published streams.
  std::vector<Device> devices() const;
  // Waits until a device of that uid is published (or any device, for an empty uid).
  bool waitForDevice(const std::string& uid, std::chrono::milliseconds deadline, Device& found) const;

 private:
  std::vector<RefPtr<__CFBundle>> mBundles;
  std::vector<std::unique_ptr<LoadedPlugIn>> mPlugIns;
  std::vector<std::string> mProblems;
};

}  // namespace CameraHost
