// The serving side of the frame service's messages: each request is checked as generated
// request code checks it, then its routine body runs and the reply is made.
#include "IOSurfaceSharingConnectServer.h"

namespace IOSurfaceSharingConnectServer {

namespace {

uint64_t integer(uint64_t value, const NDR_record_t& ndr) {
  return ndr.int_rep != NDR_record.int_rep ? __builtin_bswap64(value) : value;
}

// MIG_BAD_ARGUMENTS unless the request has the size, form and descriptor count of its routine.
kern_return_t checkForm(const mach_msg_header_t* request, mach_msg_size_t size, mach_msg_size_t descriptors) {
  if (request->msgh_size != size) return MIG_BAD_ARGUMENTS;
  const bool complex = request->msgh_bits & MACH_MSGH_BITS_COMPLEX;
  if (complex != (descriptors > 0)) return MIG_BAD_ARGUMENTS;
  if (complex && reinterpret_cast<const mach_msg_body_t*>(request + 1)->msgh_descriptor_count != descriptors)
    return MIG_BAD_ARGUMENTS;
  return KERN_SUCCESS;
}

// MIG_TYPE_ERROR unless the descriptor brings a send right.
kern_return_t checkPort(const mach_msg_port_descriptor_t& port) {
  const bool sendRight = port.type == MACH_MSG_PORT_DESCRIPTOR && port.disposition == MACH_MSG_TYPE_MOVE_SEND;
  return sendRight ? kern_return_t(KERN_SUCCESS) : kern_return_t(MIG_TYPE_ERROR);
}

// A request that is not served: its rights go, all but the reply right that answers it.
void reject(mach_msg_header_t* request, mig_reply_error_t* reply, kern_return_t code) {
  const mach_port_t replyPort = request->msgh_remote_port;
  request->msgh_remote_port = MACH_PORT_NULL;
  mach_msg_destroy(request);
  request->msgh_remote_port = replyPort;
  reply->RetCode = code;
}

void serveClientCheckIn(mach_msg_header_t* in, mig_reply_error_t* out) {
  auto* request = reinterpret_cast<ClientCheckInRequest*>(in);
  kern_return_t check = checkForm(in, sizeof *request, 1);
  if (!check) check = checkPort(request->clientPort);
  if (check) return reject(in, out, check);
  auto* reply = reinterpret_cast<ClientCheckInReply*>(out);
  uint32_t index = 0;
  reply->RetCode = __mach_IOSurfaceSharingConnectServer_ClientCheckIn(
      in->msgh_local_port, request->clientPort.name, integer(request->clientID, request->NDR),
      integer(request->clientType, request->NDR), &index);
  if (reply->RetCode != KERN_SUCCESS) return;
  reply->outClientIndex = index;
  reply->Head.msgh_size = sizeof *reply;
}

void serveClientFrameIn(mach_msg_header_t* in, mig_reply_error_t* out) {
  auto* request = reinterpret_cast<ClientFrameInRequest*>(in);
  kern_return_t check = checkForm(in, sizeof *request, 2);
  if (!check) check = checkPort(request->clientPort);
  if (!check) check = checkPort(request->frameSurface);
  if (check) return reject(in, out, check);
  out->RetCode = __mach_IOSurfaceSharingConnectServer_ClientFrameIn(
      in->msgh_local_port, request->clientPort.name, request->frameSurface.name,
      integer(request->frameSurfaceTime, request->NDR));
}

void serveBroadcastFrameSurface(mach_msg_header_t* in, mig_reply_error_t* out) {
  auto* request = reinterpret_cast<BroadcastFrameSurfaceRequest*>(in);
  kern_return_t check = checkForm(in, sizeof *request, 1);
  if (!check) check = checkPort(request->frameSurface);
  if (check) return reject(in, out, check);
  out->RetCode = __mach_IOSurfaceSharingConnectServer_BroadcastFrameSurface(
      in->msgh_local_port, request->frameSurface.name, integer(request->frameSurfaceTime, request->NDR));
}

void serveBroadcastControlCommand(mach_msg_header_t* in, mig_reply_error_t* out) {
  auto* request = reinterpret_cast<BroadcastControlCommandRequest*>(in);
  if (kern_return_t check = checkForm(in, sizeof *request, 0)) return reject(in, out, check);
  out->RetCode = __mach_IOSurfaceSharingConnectServer_BroadcastControlCommand(
      in->msgh_local_port, integer(request->commandName, request->NDR),
      integer(request->commandValue, request->NDR));
}

}  // namespace

bool Demultiplex(mach_msg_header_t* request, mach_msg_header_t* reply) {
  auto* out = reinterpret_cast<mig_reply_error_t*>(reply);
  out->Head.msgh_bits = MACH_MSGH_BITS(MACH_MSGH_BITS_REMOTE(request->msgh_bits), 0);
  out->Head.msgh_size = sizeof(mig_reply_error_t);
  out->Head.msgh_remote_port = request->msgh_remote_port;
  out->Head.msgh_local_port = MACH_PORT_NULL;
  out->Head.msgh_voucher_port = MACH_PORT_NULL;
  out->Head.msgh_id = request->msgh_id + kReplyOffset;
  out->NDR = NDR_record;
  out->RetCode = KERN_SUCCESS;
  switch (request->msgh_id) {
    case kClientCheckInID:
      serveClientCheckIn(request, out);
      return true;
    case kClientFrameInID:
      serveClientFrameIn(request, out);
      return true;
    case kBroadcastFrameSurfaceID:
      serveBroadcastFrameSurface(request, out);
      return true;
    case kBroadcastControlCommandID:
      serveBroadcastControlCommand(request, out);
      return true;
    default:
      reject(request, out, MIG_BAD_ID);
      return false;
  }
}

}  // namespace IOSurfaceSharingConnectServer
