#pragma once
// What the two ends of the Mach frame service share: the calls a client makes to the server
// (check in, hand in a frame) and the server makes to a client (a frame, a control command),
// and the handling of the messages that arrive on the connection's ports. A message is
// checked and dispatched to the handler of its routine on the port's run-loop thread, and
// answered with the handler's result.
//
// Every call waits for its reply only so long: a peer that does not answer costs the caller
// at most the timeout. A handler that raises, or a message for a port that no connection
// serves any more, is answered with a failure, never as a success.
#include <cstdint>

#include "MachMessageConnection.h"

class IOSurfaceMachConnection : public MachMessageConnection {
  OBJC_CLASS_DECL(IOSurfaceMachConnection, MachMessageConnection)

 public:
  // How long a call waits for its peer: a client for the server, the server for a client (on
  // the frame thread, so shorter).
  static constexpr uint32_t kServerCallTimeoutMilliseconds = 1000;
  static constexpr uint32_t kClientCallTimeoutMilliseconds = 100;

  // Host time in nanoseconds.
  static uint64_t currentHostGetSurfaceTimeStamp();

  // Calls; each answers NO without a connection, else whether the peer answered 0.
  bool __mach_call_ClientCheckIn_inClientType_outClientIndex(uint64_t clientID, uint64_t clientType,
                                                             uint32_t* outClientIndex);
  bool __mach_call_ClientFrameIn_frameSurfaceID(uint64_t frameSurfaceTime, uint32_t surfaceID);
  bool __mach_call_BroadcastFrameSurface_frameSurfaceTime_frameSurfaceID(uint32_t clientPortName,
                                                                         uint64_t frameSurfaceTime,
                                                                         uint32_t surfaceID);
  bool __mach_call_BroadcastControlCommand_commandName_commandValue(uint32_t clientPortName,
                                                                    uint64_t commandName,
                                                                    uint64_t commandValue);

  // Handlers of the requests that arrive; each answers the RetCode of the reply. This class
  // serves none of them: each raises NSInvalidArgumentException, as an object does for a
  // message it does not answer.
  virtual int32_t __mach_message_ClientCheckIn_inClientID_inClientType_outClientIndex(
      uint32_t clientPortName, uint64_t clientID, uint64_t clientType, uint32_t* outClientIndex);
  virtual int32_t __mach_message_ClientFrameIn_frameSurfaceTime_frameSurfaceID(uint32_t clientPortName,
                                                                               uint64_t frameSurfaceTime,
                                                                               uint32_t surfaceID);
  virtual int32_t __mach_message_BroadcastFrameSurfaceTime_frameSurfaceID(uint64_t frameSurfaceTime,
                                                                          uint32_t surfaceID);
  virtual int32_t __mach_message_BroadcastControlCommand_commandValue(uint64_t commandName,
                                                                      uint64_t commandValue);

  void handleMachMessage(void* msg) override;

 protected:
  IOSurfaceMachConnection() = default;

  // The calls with the result of the exchange: 0, a Mach error (a timeout among them), a MIG
  // error or the peer's RetCode.
  kern_return_t sendBroadcastFrameSurface(uint32_t clientPortName, uint64_t frameSurfaceTime,
                                          uint32_t surfaceID);
  kern_return_t sendBroadcastControlCommand(uint32_t clientPortName, uint64_t commandName,
                                            uint64_t commandValue);
};
