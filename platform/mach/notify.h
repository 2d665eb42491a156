#pragma once
// Messages the port layer sends by itself: a send-once notification when a send-once right
// goes away unused (its holder died or dropped it), and a dead-name notification, asked for
// with mach_port_request_notification, when the port of a send right goes away.
#include <mach/message.h>
#include <mach/ndr.h>

enum : mach_msg_id_t {
  MACH_NOTIFY_FIRST = 0100,
  MACH_NOTIFY_PORT_DELETED = MACH_NOTIFY_FIRST + 001,
  MACH_NOTIFY_PORT_DESTROYED = MACH_NOTIFY_FIRST + 005,
  MACH_NOTIFY_NO_SENDERS = MACH_NOTIFY_FIRST + 006,
  MACH_NOTIFY_SEND_ONCE = MACH_NOTIFY_FIRST + 007,
  MACH_NOTIFY_DEAD_NAME = MACH_NOTIFY_FIRST + 010,
};

#pragma pack(push, 4)
struct mach_send_once_notification_t {
  mach_msg_header_t not_header;
  mach_msg_trailer_t trailer;
};

// The notification holds one user reference of the dead name, for the receiver to deallocate.
struct mach_dead_name_notification_t {
  mach_msg_header_t not_header;
  NDR_record_t NDR;
  mach_port_name_t not_port;
  mach_msg_trailer_t trailer;
};
#pragma pack(pop)
