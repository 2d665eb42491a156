#pragma once
// Calls on the rights of this process's port space.
#include <mach/message.h>

// A new port with its receive right (MACH_PORT_RIGHT_RECEIVE only).
MACH_EXPORT kern_return_t mach_port_allocate(ipc_space_t task, mach_port_right_t right,
                                             mach_port_name_t* name);
// Drops one user reference of a send right or dead name, or a send-once right.
MACH_EXPORT kern_return_t mach_port_deallocate(ipc_space_t task, mach_port_name_t name);
// Drops every right the name stands for; a destroyed receive right kills its port.
MACH_EXPORT kern_return_t mach_port_destroy(ipc_space_t task, mach_port_name_t name);
MACH_EXPORT kern_return_t mach_port_mod_refs(ipc_space_t task, mach_port_name_t name, mach_port_right_t right,
                                             mach_port_delta_t delta);
MACH_EXPORT kern_return_t mach_port_get_refs(ipc_space_t task, mach_port_name_t name, mach_port_right_t right,
                                             mach_port_urefs_t* refs);
// Adds a send right to the port of a receive right held under the same name (MAKE_SEND or
// COPY_SEND with name == poly).
MACH_EXPORT kern_return_t mach_port_insert_right(ipc_space_t task, mach_port_name_t name, mach_port_t poly,
                                                 mach_msg_type_name_t polyPoly);
MACH_EXPORT kern_return_t mach_port_type(ipc_space_t task, mach_port_name_t name, mach_port_type_t* ptype);
// Asks for a MACH_NOTIFY_DEAD_NAME message to the receive right `notify` (MAKE_SEND_ONCE) when
// the port of the send right `name` dies; a name that is already dead is notified at once.
// MACH_PORT_NULL as notify cancels the request. `previous` is always MACH_PORT_NULL.
MACH_EXPORT kern_return_t mach_port_request_notification(ipc_space_t task, mach_port_name_t name,
                                                         integer_t msgid, mach_port_urefs_t sync,
                                                         mach_port_t notify, mach_msg_type_name_t notifyPoly,
                                                         mach_port_t* previous);

// For the run loops of this platform: a new descriptor (close-on-exec, the caller's to close)
// that is readable while the receive right of `name` may have a message; -1 for a name
// without a receive right.
MACH_EXPORT int _mach_port_copy_receive_descriptor(mach_port_name_t name);
