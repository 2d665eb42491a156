#pragma once
// The Mach message subsystem of the frame service: four routines, each a request answered by
// a reply whose id is the request's + 100, in the platform's message layout (header, port
// descriptors, NDR record, integers in the sender's byte order).
//   29001 ClientCheckIn            client -> server  the client's port, clientID, clientType
//   29002 ClientFrameIn            client -> server  the client's port, a surface port, its time
//   29003 BroadcastFrameSurface    server -> client  a surface port, its time
//   29004 BroadcastControlCommand  server -> client  a command name and value
//
// The calls (client side) send a request and wait for its reply, each with a timeout, so
// that a peer that does not answer costs at most that long. The demultiplexer (server side)
// checks a request as generated request code does, hands its values to the routine bodies
// (IOSurfaceMachConnection.cpp) and makes the reply.
#include <mach/mach.h>

#include <cstdint>

namespace IOSurfaceSharingConnectServer {

enum : mach_msg_id_t {
  kBaseID = 29001,
  kClientCheckInID = kBaseID,
  kClientFrameInID = kBaseID + 1,
  kBroadcastFrameSurfaceID = kBaseID + 2,
  kBroadcastControlCommandID = kBaseID + 3,
  kReplyOffset = 100,
};

#pragma pack(push, 4)
struct ClientCheckInRequest {
  mach_msg_header_t Head;
  mach_msg_body_t msgh_body;
  mach_msg_port_descriptor_t clientPort;
  NDR_record_t NDR;
  uint64_t clientID;
  uint64_t clientType;
};
struct ClientCheckInReply {
  mach_msg_header_t Head;
  NDR_record_t NDR;
  kern_return_t RetCode;
  uint32_t outClientIndex;
};
struct ClientFrameInRequest {
  mach_msg_header_t Head;
  mach_msg_body_t msgh_body;
  mach_msg_port_descriptor_t clientPort;
  mach_msg_port_descriptor_t frameSurface;
  NDR_record_t NDR;
  uint64_t frameSurfaceTime;
};
struct BroadcastFrameSurfaceRequest {
  mach_msg_header_t Head;
  mach_msg_body_t msgh_body;
  mach_msg_port_descriptor_t frameSurface;
  NDR_record_t NDR;
  uint64_t frameSurfaceTime;
};
struct BroadcastControlCommandRequest {
  mach_msg_header_t Head;
  NDR_record_t NDR;
  uint64_t commandName;
  uint64_t commandValue;
};
#pragma pack(pop)

static_assert(sizeof(ClientCheckInRequest) == 64 && sizeof(ClientCheckInReply) == 40 &&
                  sizeof(ClientFrameInRequest) == 68 && sizeof(BroadcastFrameSurfaceRequest) == 56 &&
                  sizeof(BroadcastControlCommandRequest) == 48 && sizeof(mig_reply_error_t) == 36,
              "the subsystem's message sizes");

// Room for any request of the subsystem and its trailer.
constexpr mach_msg_size_t kLargestRequest = sizeof(ClientFrameInRequest) + MACH_MSG_TRAILER_MINIMUM_SIZE;
// Room for any reply of the subsystem.
constexpr mach_msg_size_t kLargestReply = sizeof(ClientCheckInReply) + MACH_MSG_TRAILER_MINIMUM_SIZE;

// Calls: 0, an error of the Mach layer, a MIG error, or the RetCode of the reply.
kern_return_t ClientCheckIn(mach_port_t server, mach_port_t clientPort, uint64_t clientID,
                            uint64_t clientType, uint32_t* outClientIndex, mach_msg_timeout_t timeout);
kern_return_t ClientFrameIn(mach_port_t server, mach_port_t clientPort, mach_port_t frameSurface,
                            uint64_t frameSurfaceTime, mach_msg_timeout_t timeout);
kern_return_t BroadcastFrameSurface(mach_port_t client, mach_port_t frameSurface, uint64_t frameSurfaceTime,
                                    mach_msg_timeout_t timeout);
kern_return_t BroadcastControlCommand(mach_port_t client, uint64_t commandName, uint64_t commandValue,
                                      mach_msg_timeout_t timeout);

// Checks the request and runs its routine body, filling in the reply (room for kLargestReply
// bytes). False for an id outside the subsystem, which gets a MIG_BAD_ID reply. A request that
// fails its checks, or an unknown one, is destroyed; the bodies own the rights of the rest.
// The reply's remote port is MACH_PORT_NULL when the request wants none.
bool Demultiplex(mach_msg_header_t* request, mach_msg_header_t* reply);

}  // namespace IOSurfaceSharingConnectServer

// The routine bodies (IOSurfaceMachConnection.cpp): `server` is the port the request came in
// on. Each consumes the rights it is given.
kern_return_t __mach_IOSurfaceSharingConnectServer_ClientCheckIn(mach_port_t server, mach_port_t clientPort,
                                                                 uint64_t clientID, uint64_t clientType,
                                                                 uint32_t* outClientIndex);
kern_return_t __mach_IOSurfaceSharingConnectServer_ClientFrameIn(mach_port_t server, mach_port_t clientPort,
                                                                 mach_port_t frameSurface,
                                                                 uint64_t frameSurfaceTime);
kern_return_t __mach_IOSurfaceSharingConnectServer_BroadcastFrameSurface(mach_port_t client,
                                                                         mach_port_t frameSurface,
                                                                         uint64_t frameSurfaceTime);
kern_return_t __mach_IOSurfaceSharingConnectServer_BroadcastControlCommand(mach_port_t client,
                                                                           uint64_t commandName,
                                                                           uint64_t commandValue);
