#pragma once
// A client connection to a server that runs in the same process: what a test uses to be one
// or several clients of the server it drives, and what the client library uses in such a
// test instead of the socket.
#include <CoreFoundation/CFString.h>
#include <objc/RefPtr.h>

#include <mutex>

#include "../backend/HALConnection.h"
#include "Server.h"

namespace AudioServer {

class InProcessConnection final : public HALClient::Connection, public ClientEndpoint {
 public:
  // A client of the server with the bundle identifier (null for none).
  InProcessConnection(Server& server, CFStringRef bundleID, HALClient::ConnectionEvents& events);
  ~InProcessConnection() override;

  UInt32 clientID() const { return mClientID; }

  Boolean hasProperty(AudioObjectID objectID, const AudioObjectPropertyAddress& address) override;
  OSStatus isPropertySettable(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                              Boolean* outIsSettable) override;
  OSStatus getPropertyDataSize(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                               UInt32 qualifierSize, const void* qualifier, UInt32* outDataSize) override;
  OSStatus getPropertyData(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                           UInt32 qualifierSize, const void* qualifier, UInt32* ioDataSize,
                           void* outData) override;
  OSStatus setPropertyData(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                           UInt32 qualifierSize, const void* qualifier, UInt32 inDataSize,
                           const void* inData) override;
  OSStatus startIO(AudioObjectID deviceID, HALClient::IOCycleHandler* handler) override;
  OSStatus stopIO(AudioObjectID deviceID) override;
  OSStatus getCurrentTime(AudioObjectID deviceID, AudioTimeStamp* outTime) override;

  void propertiesChanged(AudioObjectID objectID, UInt32 count,
                         const AudioObjectPropertyAddress* addresses) override;

 private:
  Server& mServer;
  HALClient::ConnectionEvents& mEvents;
  UInt32 mClientID;
};

// While it lives, the client library of this process reaches the server through in-process
// connections with the bundle identifier.
class InProcessHAL {
 public:
  InProcessHAL(Server& server, CFStringRef bundleID);
  ~InProcessHAL();
  InProcessHAL(const InProcessHAL&) = delete;
  InProcessHAL& operator=(const InProcessHAL&) = delete;

 private:
  RefPtr<const __CFString> mBundleID;
};

}  // namespace AudioServer
