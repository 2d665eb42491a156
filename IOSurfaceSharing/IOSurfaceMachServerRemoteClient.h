#pragma once
// One checked-in client of the Mach frame service: the send right to its port (watched, so
// that its death is noticed) and the ids it checked in with.
#include <Foundation/NSPort.h>
#include <Foundation/NSValue.h>

#include <atomic>
#include <cstdint>

class IOSurfaceMachServerRemoteClient : public NSObject {
  OBJC_CLASS_DECL(IOSurfaceMachServerRemoteClient, NSObject)

 public:
  // Autoreleased. Takes over the send right the name holds.
  static IOSurfaceMachServerRemoteClient* remoteClientWithPortName_clientID_clientType(uint32_t portName,
                                                                                       uint64_t clientID,
                                                                                       uint64_t clientType);
  // The key of a port name in the server's table (autoreleased).
  static NSNumber* keyNameWithPortName(uint32_t portName);

  IOSurfaceMachServerRemoteClient* initWithPortName_clientID_clientType(uint32_t portName, uint64_t clientID,
                                                                        uint64_t clientType);

  uint32_t portName() const { return mPortName; }
  uint64_t clientID() const { return mClientID; }
  uint64_t clientType() const { return mClientType; }
  NSMachPort* port() const { return mPort.get(); }
  NSNumber* keyName() const { return mKeyName.get(); }

  // Frames in a row that the client did not answer in time.
  std::atomic<int> missedReplies{0};

  const __CFString* copyDescription() const override;

 protected:
  IOSurfaceMachServerRemoteClient() = default;

 private:
  uint32_t mPortName = 0;
  RefPtr<NSMachPort> mPort;
  RefPtr<NSNumber> mKeyName;
  uint64_t mClientID = 0;
  uint64_t mClientType = 0;
};
