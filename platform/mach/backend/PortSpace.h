#pragma once
// This process's port names and the rights each stands for.
//
// A name holds any of: the receive right of a port of this process (with send rights to it
// counted beside it), send rights to a port elsewhere (a connection to it), a send-once right
// (a connection that carries one message), a dead name (what a send right becomes once its
// port is gone), or a fileport (a descriptor carried as a right). Send rights to one port
// share one name, found by the port's identity, as the platform gives one name per port.
//
// Names are never reused while the counter has not wrapped, so that a stale name fails
// instead of reaching another right.
#include <mach/message.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "Descriptor.h"
#include "Packet.h"
#include "ReceivePort.h"

namespace MachLayer {

struct PortEntry {
  std::shared_ptr<ReceivePort> receive;  // the receive right, when this process holds it
  uint32_t sendRefs = 0;                 // user references of send rights, or of the dead name
  bool sendOnce = false;
  bool dead = false;
  bool fileport = false;
  SharedDescriptor connection;  // to the port elsewhere (send, send-once), or the fileport's object
  uint64_t identity = 0;        // the port's identity, for send rights and receive rights
  // A dead-name request: the receive right to notify, and the watch of the connection.
  std::weak_ptr<ReceivePort> deadNameNotify;
  uint64_t watchKey = 0;
};

// A right taken out of the space for a message: its descriptor and what it is.
struct OutgoingRight {
  int fd = -1;  // owned until handed to a packet
  WireRight wire{};
  // Undoes a connection made for it, while the message has not gone.
  std::shared_ptr<ReceivePort> madeOn;
  uint64_t madeKey = 0;
};

// Where a message goes.
struct Destination {
  std::shared_ptr<ReceivePort> local;  // a port of this process
  SharedDescriptor connection;         // or a connection to a port elsewhere
  uint32_t receivedType = 0;           // MACH_MSG_TYPE_PORT_SEND or _PORT_SEND_ONCE
};

class PortSpace {
 public:
  static PortSpace& shared();

  static constexpr mach_port_name_t kTaskName = 0x103;
  static constexpr mach_port_name_t kBootstrapName = 0x203;

  // New names.
  kern_return_t allocateReceive(uint64_t identity, mach_port_name_t* name,
                                std::shared_ptr<ReceivePort>* port = nullptr);
  mach_port_name_t insertFileport(int fd);

  // The descriptors behind names.
  std::shared_ptr<ReceivePort> receivePort(mach_port_name_t name);
  // A duplicate of a fileport's descriptor, or -1.
  int copyFileportDescriptor(mach_port_name_t name);

  // Port calls.
  kern_return_t deallocate(mach_port_name_t name);
  kern_return_t destroy(mach_port_name_t name);
  kern_return_t modRefs(mach_port_name_t name, mach_port_right_t right, mach_port_delta_t delta);
  kern_return_t getRefs(mach_port_name_t name, mach_port_right_t right, mach_port_urefs_t* refs);
  kern_return_t insertSendRight(mach_port_name_t name);
  kern_return_t type(mach_port_name_t name, mach_port_type_t* type);
  kern_return_t requestDeadName(mach_port_name_t name, mach_port_name_t notify);

  // Sending: the destination of the header's remote port and disposition.
  mach_msg_return_t destination(mach_port_name_t name, mach_msg_type_name_t disposition, Destination& out);
  // A right to send with the message, as the disposition asks; a kern_return_t of the Mach
  // layer on failure (the caller maps it to the message error).
  kern_return_t takeRight(mach_port_name_t name, mach_msg_type_name_t disposition, OutgoingRight& out);
  // After the message went: moved rights leave their names.
  void consume(mach_port_name_t name, mach_msg_type_name_t disposition);
  // A destination that turned out dead (its peer is gone).
  void markDead(mach_port_name_t name, const SharedDescriptor& connection);

  // Receiving: a name for a right that arrived (taking over its descriptor).
  mach_port_name_t install(const WireRight& right, int fd);

  // A send right to a port found through the bootstrap service.
  mach_port_name_t insertSendConnection(int fd, uint64_t identity);

  // Called by the death watch when the port behind a watched connection goes away.
  void peerClosed(mach_port_name_t name, uint64_t watchKey);

 private:
  PortSpace() = default;
  mach_port_name_t newNameLocked();
  PortEntry* findLocked(mach_port_name_t name);
  // Turns a send right into a dead name, notifying a requester; the caller sends what the
  // notification packet holds after leaving the lock.
  void killLocked(mach_port_name_t name, PortEntry& entry,
                  std::vector<std::pair<std::shared_ptr<ReceivePort>, Packet>>& notices);
  void forgetLocked(mach_port_name_t name);
  void unwatchLocked(PortEntry& entry);

  std::mutex mLock;
  std::map<mach_port_name_t, PortEntry> mEntries;
  // Send and receive rights by the identity of their port.
  std::map<uint64_t, mach_port_name_t> mByIdentity;
  mach_port_name_t mNextName = 0x303;
};

// Identities of ports: the owning process's id in the high 32 bits, and below it a random
// number for ports made here, or a hash of the service for ports of the bootstrap service (so
// that a looked-up right and a right received in a message meet). A right that arrives is
// believed to lead to the port it names only when its connection's far end belongs to the
// process the identity names, so that no process can pass a right off as another's.
uint64_t newPortIdentity();
inline uint64_t portIdentity(pid_t owner, uint32_t low) {
  return (uint64_t(uint32_t(owner)) << 32) | (low ? low : 1);
}

}  // namespace MachLayer
