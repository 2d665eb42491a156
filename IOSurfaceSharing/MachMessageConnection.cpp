#include "MachMessageConnection.h"

#include <Foundation/NSNotificationCenter.h>
#include <mach/mach.h>
#include <objc/MethodTable.h>

#include <map>

#include "MachRunLoopThread.h"

OBJC_CLASS_DEFINE(MachMessageConnection)
OBJC_METHODS(MachMessageConnection, OBJC_METHOD("anyMachPortDied:", &MachMessageConnection::anyMachPortDied))

namespace {

// The registry of the process, made at load time: it keeps its connections.
struct Registry {
  std::recursive_mutex lock;
  std::map<uint32_t, RefPtr<MachMessageConnection>> connections;
};

Registry& registry() {
  static Registry* const made = new Registry();
  return *made;
}
[[maybe_unused]] const Registry& sRegistryAtLoad = registry();

}  // namespace

MachMessageConnection* MachMessageConnection::init() { return initWithDelegate(nullptr); }

MachMessageConnection* MachMessageConnection::initWithDelegate(NSObject* delegate) {
  mConnectionDelegate = delegate;
  NSNotificationCenter::defaultCenter()->addObserver_selector_name_object(
      this, SELECTOR("anyMachPortDied:"), NSPortDidBecomeInvalidNotification, nullptr);
  return this;
}

void MachMessageConnection::dealloc() {
  NSNotificationCenter::defaultCenter()->removeObserver(this);
  disconnect();
  mConnectionDelegate = nullptr;
  NSObject::dealloc();
}

NSRunLoop* MachMessageConnection::serverRunLoopThread() {
  return MachRunLoopThread::sharedServerRunLoopThread()->threadRunLoop();
}

NSRunLoop* MachMessageConnection::localRunLoopThread() {
  return MachRunLoopThread::sharedLocalRunLoopThread()->threadRunLoop();
}

bool MachMessageConnection::connectWithServerMachPort(NSMachPort* port) {
  if (!port) return false;
  {
    std::lock_guard<std::mutex> guard(mLock);
    mServerPort = RefPtr<NSMachPort>(port);
    mServerPortName = port->machPort();
  }
  registerConnection_forMachPort(this, port->machPort());
  RefPtr<NSMachPort> local = adopt(NSMachPort::alloc()->init());
  if (!local) return false;
  {
    std::lock_guard<std::mutex> guard(mLock);
    mLocalPort = local;
    mLocalPortName = local->machPort();
  }
  registerConnection_forMachPort(this, local->machPort());
  return true;
}

bool MachMessageConnection::runServerConnectionOnMachPort(NSMachPort* port) {
  objc::AutoreleasePool pool;
  return runConnectionOnMachPort_withRunLoop(port, serverRunLoopThread());
}

bool MachMessageConnection::runLocalConnectionOnMachPort(NSMachPort* port) {
  objc::AutoreleasePool pool;
  return runConnectionOnMachPort_withRunLoop(port, localRunLoopThread());
}

bool MachMessageConnection::runConnectionOnMachPort_withRunLoop(NSMachPort* port, NSRunLoop* runLoop) {
  if (!port || !runLoop) return false;
  port->setDelegate(this);
  runLoop->addPort_forMode(port, NSRunLoopCommonModes);
  return true;
}

bool MachMessageConnection::isConnected() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mServerPort || mLocalPort;
}

bool MachMessageConnection::disconnect() {
  objc::AutoreleasePool pool;
  RefPtr<NSMachPort> local, server;
  {
    std::lock_guard<std::mutex> guard(mLock);
    local = std::move(mLocalPort);
    server = std::move(mServerPort);
  }
  if (local) {
    unregisterConnectionForMachPort(local->machPort());
    if (NSRunLoop* runLoop = localRunLoopThread())
      runLoop->removePort_forMode(local.get(), NSRunLoopCommonModes);
    mLocalPortName = 0;
  }
  if (server) {
    unregisterConnectionForMachPort(server->machPort());
    if (NSRunLoop* runLoop = serverRunLoopThread())
      runLoop->removePort_forMode(server.get(), NSRunLoopCommonModes);
    mServerPortName = 0;
  }
  return true;
}

bool MachMessageConnection::registerConnection_forMachPort(MachMessageConnection* connection,
                                                           uint32_t portName) {
  Registry& made = registry();
  std::lock_guard<std::recursive_mutex> guard(made.lock);
  made.connections[portName] = RefPtr<MachMessageConnection>(connection);
  return true;
}

bool MachMessageConnection::unregisterConnectionForMachPort(uint32_t portName) {
  RefPtr<MachMessageConnection> leaving;  // let go after the lock: it may be the last reference
  Registry& made = registry();
  std::lock_guard<std::recursive_mutex> guard(made.lock);
  auto found = made.connections.find(portName);
  if (found != made.connections.end()) {
    leaving = std::move(found->second);
    made.connections.erase(found);
  }
  return true;
}

RefPtr<MachMessageConnection> MachMessageConnection::connectionForMachPort(uint32_t portName) {
  Registry& made = registry();
  std::lock_guard<std::recursive_mutex> guard(made.lock);
  auto found = made.connections.find(portName);
  return found == made.connections.end() ? nullptr : found->second;
}

void MachMessageConnection::anyMachPortDied(NSNotification* notification) {
  auto* port = dynamic_cast<NSMachPort*>(notification ? notification->object() : nullptr);
  if (!port) return;
  if (RefPtr<NSMachPort> server = serverPort(); server && server->isEqual(port)) {
    serverPortDied(port);
  } else if (RefPtr<NSMachPort> local = localPort(); local && local->isEqual(port)) {
    localPortDied(port);
  } else {
    clientPortDied(port);
  }
}

void MachMessageConnection::serverPortDied(NSMachPort* port) {
  objc::AutoreleasePool pool;
  if (NSRunLoop* runLoop = serverRunLoopThread()) runLoop->removePort_forMode(port, NSRunLoopCommonModes);
}

void MachMessageConnection::localPortDied(NSMachPort* port) {
  objc::AutoreleasePool pool;
  if (NSRunLoop* runLoop = localRunLoopThread()) runLoop->removePort_forMode(port, NSRunLoopCommonModes);
}

void MachMessageConnection::clientPortDied(NSMachPort*) {}

void MachMessageConnection::delegatedConnectionError(uint32_t code) {
  RefPtr<NSObject> delegate = mConnectionDelegate.get();
  if (auto* listener = dynamic_cast<MachMessageConnectionDelegate*>(delegate.get()))
    listener->connection_errorWithMachResultCode(this, code);
}

void MachMessageConnection::handleMachMessage(void* msg) {
  mach_msg_destroy(static_cast<mach_msg_header_t*>(msg));
}

NSObject* MachMessageConnection::connectionDelegate() const {
  RefPtr<NSObject> delegate = mConnectionDelegate.get();
  return delegate ? delegate->retain()->autorelease() : nullptr;
}

void MachMessageConnection::setConnectionDelegate(NSObject* delegate) { mConnectionDelegate = delegate; }

RefPtr<NSMachPort> MachMessageConnection::serverPort() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mServerPort;
}

RefPtr<NSMachPort> MachMessageConnection::localPort() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mLocalPort;
}
