// The calling side of the frame service's messages: each call sends its request with a send-once
// right to the thread's reply port and waits, within the timeout, for the reply.
#include <cstring>

#include "IOSurfaceSharingConnectServer.h"

namespace IOSurfaceSharingConnectServer {

namespace {

union ReplyBuffer {
  mach_msg_header_t Head;
  mig_reply_error_t error;
  ClientCheckInReply checkIn;
  uint8_t bytes[128];
};

bool swapsIntegers(const NDR_record_t& ndr) { return ndr.int_rep != NDR_record.int_rep; }

template <class Request>
void prepare(Request& request, mach_port_t destination, mach_msg_id_t id, bool complex) {
  request.Head.msgh_bits = MACH_MSGH_BITS(MACH_MSG_TYPE_COPY_SEND, MACH_MSG_TYPE_MAKE_SEND_ONCE) |
                           (complex ? mach_msg_bits_t(MACH_MSGH_BITS_COMPLEX) : 0u);
  request.Head.msgh_size = sizeof request;
  request.Head.msgh_remote_port = destination;
  request.Head.msgh_voucher_port = MACH_PORT_NULL;
  request.Head.msgh_id = id;
  request.NDR = NDR_record;
}

mach_msg_port_descriptor_t copiedPort(mach_port_t name) {
  mach_msg_port_descriptor_t descriptor{};
  descriptor.name = name;
  descriptor.disposition = MACH_MSG_TYPE_COPY_SEND;
  descriptor.type = MACH_MSG_PORT_DESCRIPTOR;
  return descriptor;
}

// Sends the request and receives the reply into `reply`. A reply that did not come takes the
// reply port with it, so that it cannot turn up as the answer to a later call.
template <class Request>
kern_return_t exchange(Request& request, ReplyBuffer& reply, mach_msg_timeout_t timeout) {
  const mach_port_t replyPort = mig_get_reply_port();
  if (replyPort == MACH_PORT_NULL) return MACH_RCV_INVALID_NAME;
  request.Head.msgh_local_port = replyPort;
  static_assert(sizeof(Request) <= sizeof reply, "the request fits the exchange buffer");
  std::memcpy(reply.bytes, &request, sizeof request);
  const mach_msg_return_t result =
      mach_msg(&reply.Head, MACH_SEND_MSG | MACH_RCV_MSG | MACH_SEND_TIMEOUT | MACH_RCV_TIMEOUT,
               sizeof request, sizeof reply, replyPort, timeout, MACH_PORT_NULL);
  if (result >= MACH_RCV_INVALID_NAME && result <= MACH_RCV_PORT_DIED) mig_dealloc_reply_port(replyPort);
  return result;
}

// What a reply says beyond its RetCode: MIG_SERVER_DIED for the notice of a dropped reply right,
// a mismatch for another reply, a type error for a reply of the wrong form.
kern_return_t checkReply(ReplyBuffer& reply, mach_msg_id_t requestID) {
  if (reply.Head.msgh_id == MACH_NOTIFY_SEND_ONCE) return MIG_SERVER_DIED;
  if (reply.Head.msgh_id != requestID + kReplyOffset) {
    mach_msg_destroy(&reply.Head);
    return MIG_REPLY_MISMATCH;
  }
  if ((reply.Head.msgh_bits & MACH_MSGH_BITS_COMPLEX) || reply.Head.msgh_size < sizeof(mig_reply_error_t)) {
    mach_msg_destroy(&reply.Head);
    return MIG_TYPE_ERROR;
  }
  if (swapsIntegers(reply.error.NDR))
    reply.error.RetCode = kern_return_t(__builtin_bswap32(uint32_t(reply.error.RetCode)));
  return KERN_SUCCESS;
}

// For replies that carry only a RetCode.
kern_return_t simpleReply(ReplyBuffer& reply, mach_msg_id_t requestID) {
  if (kern_return_t form = checkReply(reply, requestID)) return form;
  if (reply.Head.msgh_size != sizeof(mig_reply_error_t)) return MIG_TYPE_ERROR;
  return reply.error.RetCode;
}

}  // namespace

kern_return_t ClientCheckIn(mach_port_t server, mach_port_t clientPort, uint64_t clientID,
                            uint64_t clientType, uint32_t* outClientIndex, mach_msg_timeout_t timeout) {
  ClientCheckInRequest request{};
  prepare(request, server, kClientCheckInID, true);
  request.msgh_body.msgh_descriptor_count = 1;
  request.clientPort = copiedPort(clientPort);
  request.clientID = clientID;
  request.clientType = clientType;
  ReplyBuffer reply{};
  if (kern_return_t sent = exchange(request, reply, timeout)) return sent;
  if (kern_return_t form = checkReply(reply, kClientCheckInID)) return form;
  // A reply without data carries a failure; one with data a success.
  if (reply.Head.msgh_size == sizeof(mig_reply_error_t))
    return reply.error.RetCode != KERN_SUCCESS ? reply.error.RetCode : MIG_TYPE_ERROR;
  if (reply.Head.msgh_size != sizeof(ClientCheckInReply) || reply.checkIn.RetCode != KERN_SUCCESS)
    return MIG_TYPE_ERROR;
  uint32_t index = reply.checkIn.outClientIndex;
  if (swapsIntegers(reply.checkIn.NDR)) index = __builtin_bswap32(index);
  if (outClientIndex) *outClientIndex = index;
  return KERN_SUCCESS;
}

kern_return_t ClientFrameIn(mach_port_t server, mach_port_t clientPort, mach_port_t frameSurface,
                            uint64_t frameSurfaceTime, mach_msg_timeout_t timeout) {
  ClientFrameInRequest request{};
  prepare(request, server, kClientFrameInID, true);
  request.msgh_body.msgh_descriptor_count = 2;
  request.clientPort = copiedPort(clientPort);
  request.frameSurface = copiedPort(frameSurface);
  request.frameSurfaceTime = frameSurfaceTime;
  ReplyBuffer reply{};
  if (kern_return_t sent = exchange(request, reply, timeout)) return sent;
  return simpleReply(reply, kClientFrameInID);
}

kern_return_t BroadcastFrameSurface(mach_port_t client, mach_port_t frameSurface, uint64_t frameSurfaceTime,
                                    mach_msg_timeout_t timeout) {
  BroadcastFrameSurfaceRequest request{};
  prepare(request, client, kBroadcastFrameSurfaceID, true);
  request.msgh_body.msgh_descriptor_count = 1;
  request.frameSurface = copiedPort(frameSurface);
  request.frameSurfaceTime = frameSurfaceTime;
  ReplyBuffer reply{};
  if (kern_return_t sent = exchange(request, reply, timeout)) return sent;
  return simpleReply(reply, kBroadcastFrameSurfaceID);
}

kern_return_t BroadcastControlCommand(mach_port_t client, uint64_t commandName, uint64_t commandValue,
                                      mach_msg_timeout_t timeout) {
  BroadcastControlCommandRequest request{};
  prepare(request, client, kBroadcastControlCommandID, false);
  request.commandName = commandName;
  request.commandValue = commandValue;
  ReplyBuffer reply{};
  if (kern_return_t sent = exchange(request, reply, timeout)) return sent;
  return simpleReply(reply, kBroadcastControlCommandID);
}

}  // namespace IOSurfaceSharingConnectServer
