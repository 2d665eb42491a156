#include <mach/mach_init.h>
#include <mach/mach_port.h>
#include <mach/mig.h>

namespace {

// The thread's reply port, destroyed with the thread.
struct ReplyPort {
  mach_port_t name = MACH_PORT_NULL;
  ~ReplyPort() {
    if (name != MACH_PORT_NULL) mach_port_destroy(mach_task_self_, name);
  }
};

thread_local ReplyPort tReplyPort;

}  // namespace

mach_port_t mig_get_reply_port(void) {
  if (tReplyPort.name == MACH_PORT_NULL &&
      mach_port_allocate(mach_task_self_, MACH_PORT_RIGHT_RECEIVE, &tReplyPort.name) != KERN_SUCCESS)
    tReplyPort.name = MACH_PORT_NULL;
  return tReplyPort.name;
}

void mig_dealloc_reply_port(mach_port_t reply_port) {
  if (reply_port == MACH_PORT_NULL || reply_port != tReplyPort.name) return;
  mach_port_destroy(mach_task_self_, reply_port);
  tReplyPort.name = MACH_PORT_NULL;
}

void mig_put_reply_port(mach_port_t) {}
