#pragma once
// Mach messages, in the platform's byte layout: a 24-byte header, then for a complex message
// a descriptor count and 12-byte port descriptors, then the inline data. mach_msg sends a
// message to a port and/or receives the next message of a port, each with an optional timeout
// in milliseconds. Rights named in the header and in port descriptors travel with the message:
// a receiver finds them under new names of its own, and the dispositions in the header bits
// and the descriptors in their received form (MACH_MSG_TYPE_PORT_SEND, _PORT_SEND_ONCE).
// A received message is followed in the buffer by a trailer.
#include <mach/port.h>

typedef natural_t mach_msg_bits_t;
typedef natural_t mach_msg_size_t;
typedef integer_t mach_msg_id_t;
typedef natural_t mach_msg_timeout_t;
typedef natural_t mach_msg_type_name_t;
typedef natural_t mach_msg_descriptor_type_t;
typedef natural_t mach_msg_type_number_t;
typedef integer_t mach_msg_option_t;
typedef kern_return_t mach_msg_return_t;
typedef natural_t mach_msg_trailer_type_t;
typedef natural_t mach_msg_trailer_size_t;

enum : mach_msg_type_name_t {
  MACH_MSG_TYPE_MOVE_RECEIVE = 16,
  MACH_MSG_TYPE_MOVE_SEND = 17,
  MACH_MSG_TYPE_MOVE_SEND_ONCE = 18,
  MACH_MSG_TYPE_COPY_SEND = 19,
  MACH_MSG_TYPE_MAKE_SEND = 20,
  MACH_MSG_TYPE_MAKE_SEND_ONCE = 21,
  MACH_MSG_TYPE_PORT_NONE = 0,
  MACH_MSG_TYPE_PORT_RECEIVE = MACH_MSG_TYPE_MOVE_RECEIVE,
  MACH_MSG_TYPE_PORT_SEND = MACH_MSG_TYPE_MOVE_SEND,
  MACH_MSG_TYPE_PORT_SEND_ONCE = MACH_MSG_TYPE_MOVE_SEND_ONCE,
};

enum : mach_msg_bits_t {
  MACH_MSGH_BITS_ZERO = 0,
  MACH_MSGH_BITS_REMOTE_MASK = 0x0000001f,
  MACH_MSGH_BITS_LOCAL_MASK = 0x00001f00,
  MACH_MSGH_BITS_VOUCHER_MASK = 0x001f0000,
  MACH_MSGH_BITS_COMPLEX = 0x80000000u,
};
#define MACH_MSGH_BITS(remote, local) ((mach_msg_bits_t)((remote) | ((local) << 8)))
#define MACH_MSGH_BITS_REMOTE(bits) ((bits)&MACH_MSGH_BITS_REMOTE_MASK)
#define MACH_MSGH_BITS_LOCAL(bits) (((bits)&MACH_MSGH_BITS_LOCAL_MASK) >> 8)

enum : mach_msg_descriptor_type_t {
  MACH_MSG_PORT_DESCRIPTOR = 0,
  MACH_MSG_OOL_DESCRIPTOR = 1,
  MACH_MSG_OOL_PORTS_DESCRIPTOR = 2,
  MACH_MSG_OOL_VOLATILE_DESCRIPTOR = 3,
};

#pragma pack(push, 4)
struct mach_msg_header_t {
  mach_msg_bits_t msgh_bits;
  mach_msg_size_t msgh_size;
  mach_port_t msgh_remote_port;
  mach_port_t msgh_local_port;
  mach_port_name_t msgh_voucher_port;
  mach_msg_id_t msgh_id;
};

struct mach_msg_body_t {
  mach_msg_size_t msgh_descriptor_count;
};

struct mach_msg_port_descriptor_t {
  mach_port_t name;
  mach_msg_size_t pad1;
  unsigned int pad2 : 16;
  mach_msg_type_name_t disposition : 8;
  mach_msg_descriptor_type_t type : 8;
};

struct mach_msg_trailer_t {
  mach_msg_trailer_type_t msgh_trailer_type;
  mach_msg_trailer_size_t msgh_trailer_size;
};

struct mach_msg_empty_send_t {
  mach_msg_header_t header;
};

struct mach_msg_empty_rcv_t {
  mach_msg_header_t header;
  mach_msg_trailer_t trailer;
};
#pragma pack(pop)

static_assert(sizeof(mach_msg_header_t) == 24 && sizeof(mach_msg_body_t) == 4 &&
                  sizeof(mach_msg_port_descriptor_t) == 12 && sizeof(mach_msg_trailer_t) == 8,
              "the platform's message layout");

enum : mach_msg_trailer_type_t { MACH_MSG_TRAILER_FORMAT_0 = 0 };
#define MACH_MSG_TRAILER_MINIMUM_SIZE ((mach_msg_size_t)sizeof(mach_msg_trailer_t))

enum : mach_msg_option_t {
  MACH_MSG_OPTION_NONE = 0,
  MACH_SEND_MSG = 0x00000001,
  MACH_RCV_MSG = 0x00000002,
  // A receive into a buffer that is too small leaves the message queued and reports its size.
  MACH_RCV_LARGE = 0x00000004,
  MACH_SEND_TIMEOUT = 0x00000010,
  MACH_RCV_TIMEOUT = 0x00000100,
};

enum : mach_msg_timeout_t { MACH_MSG_TIMEOUT_NONE = 0 };

enum : mach_msg_return_t {
  MACH_MSG_SUCCESS = 0,
  MACH_SEND_INVALID_DATA = 0x10000002,
  MACH_SEND_INVALID_DEST = 0x10000003,
  MACH_SEND_TIMED_OUT = 0x10000004,
  MACH_SEND_MSG_TOO_SMALL = 0x10000008,
  MACH_SEND_INVALID_REPLY = 0x10000009,
  MACH_SEND_INVALID_RIGHT = 0x1000000a,
  MACH_SEND_NO_BUFFER = 0x1000000d,
  MACH_SEND_TOO_LARGE = 0x1000000e,
  MACH_SEND_INVALID_TYPE = 0x1000000f,
  MACH_SEND_INVALID_HEADER = 0x10000010,
  MACH_RCV_INVALID_NAME = 0x10004002,
  MACH_RCV_TIMED_OUT = 0x10004003,
  MACH_RCV_TOO_LARGE = 0x10004004,
  MACH_RCV_PORT_DIED = 0x10004009,
};

// The largest message (header and body, without trailer) and the most rights one carries.
enum : mach_msg_size_t {
  MACH_MSG_SIZE_MAX = 64 * 1024,
  MACH_MSG_RIGHTS_MAX = 250,
};

// Sends `msg` (send_size bytes) to its remote port and/or receives the next message of
// rcv_name into `msg` (room for rcv_size bytes), as `option` asks. The timeout applies to each
// of the two with MACH_SEND_TIMEOUT / MACH_RCV_TIMEOUT; without them the call waits.
MACH_EXPORT mach_msg_return_t mach_msg(mach_msg_header_t* msg, mach_msg_option_t option,
                                       mach_msg_size_t send_size, mach_msg_size_t rcv_size,
                                       mach_port_name_t rcv_name, mach_msg_timeout_t timeout,
                                       mach_port_name_t notify);
// Releases the rights a message holds: the remote port's (moved rights only) and those of its
// port descriptors, as their dispositions say.
MACH_EXPORT void mach_msg_destroy(mach_msg_header_t* msg);
