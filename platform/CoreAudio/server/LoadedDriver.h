#pragma once
// One audio server driver as the server holds it: its driver interface, the bundle that made
// it (none for the server's built-in drivers), and the host interface the server gave it,
// through which the driver's calls find their way back to the server.
#include <CoreAudio/AudioServerPlugIn.h>
#include <CoreFoundation/CFBundle.h>
#include <objc/RefPtr.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace AudioServer {

class Server;
class LoadedDriver;

// What the server hands a driver as its host: the platform's table first, so that the host
// reference the driver passes back leads to its driver and server.
struct DriverHost {
  AudioServerPlugInHostInterface interface;
  Server* server;
  LoadedDriver* driver;
};

class LoadedDriver {
 public:
  LoadedDriver(AudioServerPlugInDriverRef driver, std::string bundlePath, RefPtr<__CFBundle> bundle);
  ~LoadedDriver();
  LoadedDriver(const LoadedDriver&) = delete;
  LoadedDriver& operator=(const LoadedDriver&) = delete;

  // The drivers that the bundle's factories make for the audio server plug-in type; what
  // could not be made is told in `problems`.
  static std::vector<std::shared_ptr<LoadedDriver>> loadBundle(const std::string& path,
                                                               std::vector<std::string>& problems);

  AudioServerPlugInDriverRef ref() const { return mDriver; }
  const AudioServerPlugInDriverInterface& calls() const { return **mDriver; }
  const std::string& bundlePath() const { return mBundlePath; }
  CFBundleRef bundle() const { return mBundle.get(); }

  // Initialises the driver with a host of this server (once).
  OSStatus initialize(Server& server);
  bool initialized() const { return mInitialized; }
  // From now on the driver's calls to its host reach no server (they answer '!obj').
  void detachHost();
  // Runs the work with the driver and server of a host reference that is still attached;
  // answers '!obj' for any other.
  static OSStatus withHost(AudioServerPlugInHostRef host,
                           const std::function<OSStatus(LoadedDriver&, Server&)>& work);

 private:
  AudioServerPlugInDriverRef mDriver;
  std::string mBundlePath;
  RefPtr<__CFBundle> mBundle;
  DriverHost mHost{};
  bool mInitialized = false;
};

}  // namespace AudioServer
