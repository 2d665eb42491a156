#include "LoadedDriver.h"

#include <CoreFoundation/CFPlugIn.h>
#include <CoreFoundation/CFURL.h>

#include <set>
#include <shared_mutex>

#include "Server.h"

namespace AudioServer {

namespace {

// The hosts that lead to a server. Drivers call their host from their own threads and queues,
// possibly after the server that gave it is gone; such a call must find nothing.
std::shared_mutex sHostsLock;
std::set<const DriverHost*>& liveHosts() {
  static auto* hosts = new std::set<const DriverHost*>();  // outlives every driver's last call
  return *hosts;
}

// The host calls, forwarded to the server that owns the host.
OSStatus hostPropertiesChanged(AudioServerPlugInHostRef host, AudioObjectID objectID, UInt32 count,
                               const AudioObjectPropertyAddress* addresses) {
  if (count > 0 && !addresses) return kAudioHardwareIllegalOperationError;
  return LoadedDriver::withHost(host, [&](LoadedDriver& driver, Server& server) {
    server.driverPropertiesChanged(driver, objectID, count, addresses);
    return OSStatus(kAudioHardwareNoError);
  });
}

OSStatus hostStorageUnsupported(AudioServerPlugInHostRef, CFStringRef, CFPropertyListRef*) {
  return kAudioHardwareUnsupportedOperationError;
}
OSStatus hostWriteUnsupported(AudioServerPlugInHostRef, CFStringRef, CFPropertyListRef) {
  return kAudioHardwareUnsupportedOperationError;
}
OSStatus hostDeleteUnsupported(AudioServerPlugInHostRef, CFStringRef) {
  return kAudioHardwareUnsupportedOperationError;
}

OSStatus hostRequestConfigurationChange(AudioServerPlugInHostRef host, AudioObjectID deviceID, UInt64 action,
                                        void* info) {
  return LoadedDriver::withHost(host, [&](LoadedDriver& driver, Server& server) {
    return server.requestDeviceConfigurationChange(driver, deviceID, action, info);
  });
}

std::vector<RefPtr<const __CFUUID>> driverFactories(CFBundleRef bundle) {
  std::vector<RefPtr<const __CFUUID>> factories;
  CFTypeRef types = CFBundleGetValueForInfoDictionaryKey(bundle, kCFPlugInTypesKey);
  if (!types || CFGetTypeID(types) != CFDictionaryGetTypeID()) return factories;
  RefPtr<const __CFString> typeText = adopt(CFUUIDCreateString(nullptr, kAudioServerPlugInTypeUUID));
  CFTypeRef list = CFDictionaryGetValue(static_cast<CFDictionaryRef>(types), typeText.get());
  if (!list || CFGetTypeID(list) != CFArrayGetTypeID()) return factories;
  for (CFIndex i = 0; i < CFArrayGetCount(static_cast<CFArrayRef>(list)); ++i) {
    CFTypeRef text = CFArrayGetValueAtIndex(static_cast<CFArrayRef>(list), i);
    if (!text || CFGetTypeID(text) != CFStringGetTypeID()) continue;
    RefPtr<const __CFUUID> factory = adopt(CFUUIDCreateFromString(nullptr, static_cast<CFStringRef>(text)));
    if (factory) factories.push_back(factory);
  }
  return factories;
}

std::string uuidText(CFUUIDRef uuid) {
  RefPtr<const __CFString> text = adopt(CFUUIDCreateString(nullptr, uuid));
  char buffer[64] = "";
  if (text) CFStringGetCString(text.get(), buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

}  // namespace

LoadedDriver::LoadedDriver(AudioServerPlugInDriverRef driver, std::string bundlePath,
                           RefPtr<__CFBundle> bundle)
    : mDriver(driver), mBundlePath(std::move(bundlePath)), mBundle(std::move(bundle)) {}

LoadedDriver::~LoadedDriver() {
  detachHost();
  calls().Release(mDriver);
}

void LoadedDriver::detachHost() {
  std::unique_lock<std::shared_mutex> guard(sHostsLock);
  liveHosts().erase(&mHost);
}

std::vector<std::shared_ptr<LoadedDriver>> LoadedDriver::loadBundle(const std::string& path,
                                                                    std::vector<std::string>& problems) {
  std::vector<std::shared_ptr<LoadedDriver>> drivers;
  RefPtr<const __CFURL> url = adopt(CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.c_str()), CFIndex(path.size()), true));
  RefPtr<__CFBundle> bundle = url ? adopt(CFPlugInCreate(nullptr, url.get())) : nullptr;
  if (!bundle) {
    problems.push_back(path + ": not a bundle");
    return drivers;
  }
  const std::vector<RefPtr<const __CFUUID>> factories = driverFactories(bundle.get());
  if (factories.empty()) problems.push_back(path + ": names no audio server driver factory");
  for (const RefPtr<const __CFUUID>& factory : factories) {
    void* instance = CFPlugInInstanceCreate(nullptr, factory.get(), kAudioServerPlugInTypeUUID);
    if (!instance) {
      problems.push_back(path + ": factory " + uuidText(factory.get()) + " made nothing");
      continue;
    }
    auto** unknown = static_cast<IUnknownVTbl**>(instance);
    AudioServerPlugInDriverRef driver = nullptr;
    const HRESULT answer =
        (*unknown)->QueryInterface(unknown, CFUUIDGetUUIDBytes(kAudioServerPlugInDriverInterfaceUUID),
                                   reinterpret_cast<LPVOID*>(&driver));
    // The factory's reference is not kept: the driver interface holds its own.
    (*unknown)->Release(unknown);
    if (answer != S_OK || !driver) {
      problems.push_back(path + ": factory " + uuidText(factory.get()) + " gives no driver interface");
      continue;
    }
    drivers.push_back(std::make_shared<LoadedDriver>(driver, path, bundle));
  }
  return drivers;
}

OSStatus LoadedDriver::initialize(Server& server) {
  if (mInitialized) return kAudioHardwareNoError;
  mHost.interface = {hostPropertiesChanged, hostStorageUnsupported, hostWriteUnsupported,
                     hostDeleteUnsupported, hostRequestConfigurationChange};
  mHost.server = &server;
  mHost.driver = this;
  {
    std::unique_lock<std::shared_mutex> guard(sHostsLock);
    liveHosts().insert(&mHost);
  }
  const OSStatus status = calls().Initialize(mDriver, &mHost.interface);
  mInitialized = status == kAudioHardwareNoError;
  return status;
}

OSStatus LoadedDriver::withHost(AudioServerPlugInHostRef host,
                                const std::function<OSStatus(LoadedDriver&, Server&)>& work) {
  std::shared_lock<std::shared_mutex> guard(sHostsLock);
  const DriverHost* driverHost = reinterpret_cast<const DriverHost*>(host);
  if (!host || !liveHosts().count(driverHost)) return kAudioHardwareBadObjectError;
  return work(*driverHost->driver, *driverHost->server);
}

}  // namespace AudioServer
