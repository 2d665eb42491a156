#pragma once
// The server of the Mach frame service: it checks a bootstrap name in, keeps the table of
// checked-in clients, and sends every frame's surface with its time to each of them.
//
// The table is locked only to read or change it, never while a client is waited for: a frame
// goes to each client of a snapshot of the table, and a client answers within the call
// timeout or the frame moves on to the next. A client that leaves several frames in a row
// unanswered is dropped as if its port had died; one whose port dies is dropped at once.
#include <Foundation/NSString.h>
#include <IOSurface/IOSurface.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "IOSurfaceMachConnection.h"
#include "IOSurfaceMachServerRemoteClient.h"

class IOSurfaceMachServer;

// What the server tells its delegate; each member has a default that does nothing.
class IOSurfaceMachServerDelegate {
 public:
  virtual void surfaceServer_connectedClientWithID(IOSurfaceMachServer*, uint64_t) {}
  virtual void surfaceServer_clientID_surfaceRef_surfaceTime(IOSurfaceMachServer*, uint64_t, IOSurfaceRef,
                                                             uint64_t) {}
  virtual void surfaceServer_disconnectedClientWithPort(IOSurfaceMachServer*, NSMachPort*) {}
  virtual void surfaceServer_disconnectedServerPort(IOSurfaceMachServer*, NSMachPort*) {}

 protected:
  ~IOSurfaceMachServerDelegate() = default;
};

class IOSurfaceMachServer : public IOSurfaceMachConnection {
  OBJC_CLASS_DECL(IOSurfaceMachServer, IOSurfaceMachConnection)

 public:
  // Frames in a row a client may leave unanswered before it is dropped.
  static constexpr int kMostMissedReplies = 3;

  // Autoreleased.
  static IOSurfaceMachServer* serverWithDelegate(NSObject* delegate);
  static uint64_t currentSurfaceTimeStamp() { return currentHostGetSurfaceTimeStamp(); }

  IOSurfaceMachServer* initWithDelegate(NSObject* delegate) override;

  // The delegate is the connection's delegate (not retained).
  NSObject* delegate() const { return connectionDelegate(); }
  void setDelegate(NSObject* delegate) { setConnectionDelegate(delegate); }

  // Checks the name in and serves its port on the shared server thread; NO when the name is
  // taken or cannot be served.
  bool publishServerConnectionWithServerPortName(NSString* name);
  bool publishServerConnectionOnMachPort(NSMachPort* port);
  // Serves under another name from now on.
  void setServerOutputPortName(NSString* name);
  NSString* serverOutputPortName() const;
  void stopServer() { disconnect(); }

  void broadcastFrameSurface_surfaceTimeStamp(IOSurfaceRef surface, uint64_t surfaceTime);
  // Answers the time it used.
  uint64_t broadcastFrameSurfaceWithCurrentTimeStamp(IOSurfaceRef surface);
  void broadcastControlCommandName_commandValue(uint64_t commandName, uint64_t commandValue);

  bool hasClientWithUniqueID(uint64_t clientID);
  bool hasClientWithUniqueIdentifierString(NSString* identifier);

  int32_t __mach_message_ClientCheckIn_inClientID_inClientType_outClientIndex(
      uint32_t clientPortName, uint64_t clientID, uint64_t clientType, uint32_t* outClientIndex) override;
  int32_t __mach_message_ClientFrameIn_frameSurfaceTime_frameSurfaceID(uint32_t clientPortName,
                                                                       uint64_t frameSurfaceTime,
                                                                       uint32_t surfaceID) override;

  void clientPortDied(NSMachPort* port) override;
  void serverPortDied(NSMachPort* port) override;

 protected:
  IOSurfaceMachServer() = default;

 private:
  using Clients = std::vector<RefPtr<IOSurfaceMachServerRemoteClient>>;
  Clients snapshot();
  // Counts a call's result against its client; drops one that has missed too many.
  void account(IOSurfaceMachServerRemoteClient* client, kern_return_t result);
  // Takes the clients of a port out of the table and tells the delegate.
  void dropClientsOfPort(NSMachPort* port);

  mutable std::recursive_mutex mRemoteClientsLock;
  std::map<uint32_t, RefPtr<IOSurfaceMachServerRemoteClient>> mRemoteClients;
  mutable std::mutex mNameLock;
  RefPtr<NSString> mOutputMachPortName;
};
