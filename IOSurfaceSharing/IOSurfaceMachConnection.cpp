#include "IOSurfaceMachConnection.h"

#include <Foundation/NSException.h>
#include <mach/mach.h>

#include <exception>

#include "IOSurfaceIPC.h"
#include "IOSurfaceSharingConnectServer.h"

OBJC_CLASS_DEFINE(IOSurfaceMachConnection)

using namespace IOSurfaceSharingConnectServer;

uint64_t IOSurfaceMachConnection::currentHostGetSurfaceTimeStamp() {
  // The timebase is read once; a clock that cannot tell its timebase gives 0.
  static const mach_timebase_info_data_t timebase = [] {
    mach_timebase_info_data_t info{0, 0};
    if (mach_timebase_info(&info) != KERN_SUCCESS) info = {0, 0};
    return info;
  }();
  if (timebase.denom == 0) return 0;
  return mach_absolute_time() * timebase.numer / timebase.denom;
}

namespace {

// A port carrying the surface of the id, or 0; dropped when it goes.
class RemotingSurface {
 public:
  explicit RemotingSurface(uint32_t surfaceID)
      : mPort(IOSurfaceIPC::remotingSurfaceIDFromLocalIOSurfaceID(surfaceID)) {}
  ~RemotingSurface() { IOSurfaceIPC::deallocateRemotingSurfaceID(mPort); }
  RemotingSurface(const RemotingSurface&) = delete;
  RemotingSurface& operator=(const RemotingSurface&) = delete;
  uint32_t port() const { return mPort; }

 private:
  const uint32_t mPort;
};

// The id of the surface a port carries; the port's right is dropped.
uint32_t takeSurfaceID(mach_port_t port) {
  const uint32_t surfaceID = IOSurfaceIPC::localIOSurfaceIDFromRemotingSurfaceID(port);
  IOSurfaceIPC::deallocateRemotingSurfaceID(port);
  return surfaceID;
}

[[noreturn]] void unanswered(const NSObject* receiver, const char* selector) {
  NSException::raise_format(NSInvalidArgumentException,
                            NSSTR("-[%s %s]: unrecognized selector sent to instance %p"),
                            receiver->className(), selector, static_cast<const void*>(receiver));
}

RefPtr<IOSurfaceMachConnection> connectionFor(mach_port_t port) {
  RefPtr<MachMessageConnection> connection = MachMessageConnection::connectionForMachPort(port);
  return RefPtr<IOSurfaceMachConnection>(dynamic_cast<IOSurfaceMachConnection*>(connection.get()));
}

// Runs a handler; what it raises is logged with the routine's text and answered as a failure.
template <class Handler>
kern_return_t guarded(NSString* logFormat, Handler handler) {
  try {
    return handler();
  } catch (const NSException::Raised& raised) {
    NSLog(logFormat, raised.exception());
  } catch (const std::exception& error) {
    NSLog(logFormat, NSString::stringWithUTF8String(error.what()));
  }
  return KERN_FAILURE;
}

}  // namespace

bool IOSurfaceMachConnection::__mach_call_ClientCheckIn_inClientType_outClientIndex(
    uint64_t clientID, uint64_t clientType, uint32_t* outClientIndex) {
  if (!isConnected()) return false;
  return ClientCheckIn(serverPortName(), localPortName(), clientID, clientType, outClientIndex,
                       kServerCallTimeoutMilliseconds) == KERN_SUCCESS;
}

bool IOSurfaceMachConnection::__mach_call_ClientFrameIn_frameSurfaceID(uint64_t frameSurfaceTime,
                                                                       uint32_t surfaceID) {
  if (!isConnected()) return false;
  RemotingSurface surface(surfaceID);
  if (!surface.port()) return false;
  return ClientFrameIn(serverPortName(), localPortName(), surface.port(), frameSurfaceTime,
                       kServerCallTimeoutMilliseconds) == KERN_SUCCESS;
}

bool IOSurfaceMachConnection::__mach_call_BroadcastFrameSurface_frameSurfaceTime_frameSurfaceID(
    uint32_t clientPortName, uint64_t frameSurfaceTime, uint32_t surfaceID) {
  return isConnected() &&
         sendBroadcastFrameSurface(clientPortName, frameSurfaceTime, surfaceID) == KERN_SUCCESS;
}

bool IOSurfaceMachConnection::__mach_call_BroadcastControlCommand_commandName_commandValue(
    uint32_t clientPortName, uint64_t commandName, uint64_t commandValue) {
  return isConnected() &&
         sendBroadcastControlCommand(clientPortName, commandName, commandValue) == KERN_SUCCESS;
}

kern_return_t IOSurfaceMachConnection::sendBroadcastFrameSurface(uint32_t clientPortName,
                                                                 uint64_t frameSurfaceTime,
                                                                 uint32_t surfaceID) {
  RemotingSurface surface(surfaceID);
  if (!surface.port()) return KERN_INVALID_ARGUMENT;
  return BroadcastFrameSurface(clientPortName, surface.port(), frameSurfaceTime,
                               kClientCallTimeoutMilliseconds);
}

kern_return_t IOSurfaceMachConnection::sendBroadcastControlCommand(uint32_t clientPortName,
                                                                   uint64_t commandName,
                                                                   uint64_t commandValue) {
  return BroadcastControlCommand(clientPortName, commandName, commandValue, kClientCallTimeoutMilliseconds);
}

int32_t IOSurfaceMachConnection::__mach_message_ClientCheckIn_inClientID_inClientType_outClientIndex(
    uint32_t, uint64_t, uint64_t, uint32_t*) {
  unanswered(this, "__mach_message_ClientCheckIn:inClientID:inClientType:outClientIndex:");
}

int32_t IOSurfaceMachConnection::__mach_message_ClientFrameIn_frameSurfaceTime_frameSurfaceID(uint32_t,
                                                                                              uint64_t,
                                                                                              uint32_t) {
  unanswered(this, "__mach_message_ClientFrameIn:frameSurfaceTime:frameSurfaceID:");
}

int32_t IOSurfaceMachConnection::__mach_message_BroadcastFrameSurfaceTime_frameSurfaceID(uint64_t, uint32_t) {
  unanswered(this, "__mach_message_BroadcastFrameSurfaceTime:frameSurfaceID:");
}

int32_t IOSurfaceMachConnection::__mach_message_BroadcastControlCommand_commandValue(uint64_t, uint64_t) {
  unanswered(this, "__mach_message_BroadcastControlCommand:commandValue:");
}

void IOSurfaceMachConnection::handleMachMessage(void* msg) {
  objc::AutoreleasePool pool;
  union {
    mig_reply_error_t error;
    uint8_t bytes[kLargestReply];
  } reply{};
  Demultiplex(static_cast<mach_msg_header_t*>(msg), &reply.error.Head);
  if (!MACH_PORT_VALID(reply.error.Head.msgh_remote_port)) return;
  const mach_msg_return_t sent =
      mach_msg(&reply.error.Head, MACH_SEND_MSG | MACH_SEND_TIMEOUT, reply.error.Head.msgh_size, 0,
               MACH_PORT_NULL, kClientCallTimeoutMilliseconds, MACH_PORT_NULL);
  if (sent != MACH_MSG_SUCCESS) {
    delegatedConnectionError(uint32_t(sent));
    mach_msg_destroy(&reply.error.Head);
  }
}

// The routine bodies: each finds the connection of the port the request came in on and hands
// the request to its handler.

kern_return_t __mach_IOSurfaceSharingConnectServer_ClientCheckIn(mach_port_t server, mach_port_t clientPort,
                                                                 uint64_t clientID, uint64_t clientType,
                                                                 uint32_t* outClientIndex) {
  RefPtr<IOSurfaceMachConnection> connection = connectionFor(server);
  kern_return_t result = MIG_SERVER_DIED;
  if (connection) {
    result = guarded(NSSTR("__mach_IOSurfaceSharingConnectServer_ClientCheckIn: exception: %@\n"), [&] {
      return connection->__mach_message_ClientCheckIn_inClientID_inClientType_outClientIndex(
          clientPort, clientID, clientType, outClientIndex);
    });
  }
  // A client that was not taken in keeps no right here.
  if (result != KERN_SUCCESS) mach_port_deallocate(mach_task_self(), clientPort);
  return result;
}

kern_return_t __mach_IOSurfaceSharingConnectServer_ClientFrameIn(mach_port_t server, mach_port_t clientPort,
                                                                 mach_port_t frameSurface,
                                                                 uint64_t frameSurfaceTime) {
  const uint32_t surfaceID = takeSurfaceID(frameSurface);
  RefPtr<IOSurfaceMachConnection> connection = connectionFor(server);
  kern_return_t result = MIG_SERVER_DIED;
  if (connection) {
    result = guarded(NSSTR("__mach_IOSurfaceSharingConnectServer_ClientFrameIn: exception: %@\n"), [&] {
      return connection->__mach_message_ClientFrameIn_frameSurfaceTime_frameSurfaceID(
          clientPort, frameSurfaceTime, surfaceID);
    });
  }
  // The client's name only finds its record.
  mach_port_deallocate(mach_task_self(), clientPort);
  return result;
}

kern_return_t __mach_IOSurfaceSharingConnectServer_BroadcastFrameSurface(mach_port_t client,
                                                                         mach_port_t frameSurface,
                                                                         uint64_t frameSurfaceTime) {
  const uint32_t surfaceID = takeSurfaceID(frameSurface);
  RefPtr<IOSurfaceMachConnection> connection = connectionFor(client);
  if (!connection) return MIG_SERVER_DIED;
  const kern_return_t result =
      guarded(NSSTR("__mach_IOSurfaceSharingConnectServer_BroadcastFrameSurface: exception: %@\n"), [&] {
        return connection->__mach_message_BroadcastFrameSurfaceTime_frameSurfaceID(frameSurfaceTime,
                                                                                   surfaceID);
      });
  if (result != KERN_SUCCESS) connection->delegatedConnectionError(uint32_t(result));
  return result;
}

kern_return_t __mach_IOSurfaceSharingConnectServer_BroadcastControlCommand(mach_port_t client,
                                                                           uint64_t commandName,
                                                                           uint64_t commandValue) {
  RefPtr<IOSurfaceMachConnection> connection = connectionFor(client);
  if (!connection) return MIG_SERVER_DIED;
  const kern_return_t result =
      guarded(NSSTR("__mach_IOSurfaceSharingConnectServer_BroadcastControlCommand: exception: %@\n"), [&] {
        return connection->__mach_message_BroadcastControlCommand_commandValue(commandName, commandValue);
      });
  if (result != KERN_SUCCESS) connection->delegatedConnectionError(uint32_t(result));
  return result;
}
