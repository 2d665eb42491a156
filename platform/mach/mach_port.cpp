#include <fcntl.h>
#include <mach/mach_init.h>
#include <mach/mach_port.h>
#include <mach/notify.h>

#include "backend/PortSpace.h"

using MachLayer::PortSpace;

mach_port_t mach_task_self_ = PortSpace::kTaskName;

namespace {

bool isSelf(ipc_space_t task) { return task == PortSpace::kTaskName; }

}  // namespace

kern_return_t mach_port_allocate(ipc_space_t task, mach_port_right_t right, mach_port_name_t* name) {
  if (!isSelf(task)) return KERN_INVALID_TASK;
  if (!name) return KERN_INVALID_ARGUMENT;
  if (right != MACH_PORT_RIGHT_RECEIVE) return KERN_INVALID_VALUE;
  return PortSpace::shared().allocateReceive(MachLayer::newPortIdentity(), name);
}

kern_return_t mach_port_deallocate(ipc_space_t task, mach_port_name_t name) {
  if (!isSelf(task)) return KERN_INVALID_TASK;
  // Null and dead names stand for no right, and dropping them does nothing.
  if (!MACH_PORT_VALID(name)) return KERN_SUCCESS;
  return PortSpace::shared().deallocate(name);
}

kern_return_t mach_port_destroy(ipc_space_t task, mach_port_name_t name) {
  if (!isSelf(task)) return KERN_INVALID_TASK;
  if (!MACH_PORT_VALID(name)) return KERN_SUCCESS;
  return PortSpace::shared().destroy(name);
}

kern_return_t mach_port_mod_refs(ipc_space_t task, mach_port_name_t name, mach_port_right_t right,
                                 mach_port_delta_t delta) {
  if (!isSelf(task)) return KERN_INVALID_TASK;
  if (!MACH_PORT_VALID(name)) return KERN_INVALID_NAME;
  return PortSpace::shared().modRefs(name, right, delta);
}

kern_return_t mach_port_get_refs(ipc_space_t task, mach_port_name_t name, mach_port_right_t right,
                                 mach_port_urefs_t* refs) {
  if (!isSelf(task)) return KERN_INVALID_TASK;
  return PortSpace::shared().getRefs(name, right, refs);
}

kern_return_t mach_port_insert_right(ipc_space_t task, mach_port_name_t name, mach_port_t poly,
                                     mach_msg_type_name_t polyPoly) {
  if (!isSelf(task)) return KERN_INVALID_TASK;
  if (name != poly || (polyPoly != MACH_MSG_TYPE_MAKE_SEND && polyPoly != MACH_MSG_TYPE_COPY_SEND))
    return KERN_INVALID_VALUE;
  return PortSpace::shared().insertSendRight(name);
}

kern_return_t mach_port_type(ipc_space_t task, mach_port_name_t name, mach_port_type_t* ptype) {
  if (!isSelf(task)) return KERN_INVALID_TASK;
  return PortSpace::shared().type(name, ptype);
}

kern_return_t mach_port_request_notification(ipc_space_t task, mach_port_name_t name, integer_t msgid,
                                             mach_port_urefs_t, mach_port_t notify,
                                             mach_msg_type_name_t notifyPoly, mach_port_t* previous) {
  if (!isSelf(task)) return KERN_INVALID_TASK;
  if (previous) *previous = MACH_PORT_NULL;
  if (msgid != MACH_NOTIFY_DEAD_NAME) return KERN_INVALID_VALUE;
  if (notify != MACH_PORT_NULL && notifyPoly != MACH_MSG_TYPE_MAKE_SEND_ONCE) return KERN_INVALID_VALUE;
  return PortSpace::shared().requestDeadName(name, notify);
}

int _mach_port_copy_receive_descriptor(mach_port_name_t name) {
  std::shared_ptr<MachLayer::ReceivePort> port = PortSpace::shared().receivePort(name);
  return port ? fcntl(port->waitDescriptor(), F_DUPFD_CLOEXEC, 0) : -1;
}
