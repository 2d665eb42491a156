#pragma once
// Return codes of generated request and reply code, and the reply that carries only a code.
#include <mach/message.h>
#include <mach/ndr.h>

enum : kern_return_t {
  MIG_TYPE_ERROR = -300,
  MIG_REPLY_MISMATCH = -301,
  MIG_REMOTE_ERROR = -302,
  MIG_BAD_ID = -303,
  MIG_BAD_ARGUMENTS = -304,
  MIG_NO_REPLY = -305,
  MIG_EXCEPTION = -306,
  MIG_ARRAY_TOO_LARGE = -307,
  MIG_SERVER_DIED = -308,
  MIG_TRAILER_ERROR = -309,
};

#pragma pack(push, 4)
struct mig_reply_error_t {
  mach_msg_header_t Head;
  NDR_record_t NDR;
  kern_return_t RetCode;
};
#pragma pack(pop)
