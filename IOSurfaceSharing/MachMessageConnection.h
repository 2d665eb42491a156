#pragma once
// What a Mach connection owns: its server port and its local port, each scheduled on one of
// the two shared run-loop threads with the connection as the port's delegate. A process-wide
// registry maps each port name to its connection (and keeps the connection), so that the
// bodies of the message routines find the connection of the port a message came in on. Every
// connection hears of every port that dies and sorts it: its server port, its local port, or
// someone else's (a client's).
#include <Foundation/NSNotification.h>
#include <Foundation/NSPort.h>
#include <Foundation/NSRunLoop.h>
#include <objc/WeakPtr.h>

#include <atomic>
#include <cstdint>
#include <mutex>

class MachMessageConnection;

class MachMessageConnectionDelegate {
 public:
  virtual void connection_errorWithMachResultCode(MachMessageConnection* connection, uint32_t code) = 0;

 protected:
  ~MachMessageConnectionDelegate() = default;
};

class MachMessageConnection : public NSObject, public NSMachPortDelegate {
  OBJC_CLASS_DECL(MachMessageConnection, NSObject)

 public:
  MachMessageConnection* init() override;
  virtual MachMessageConnection* initWithDelegate(NSObject* delegate);

  // The run loops of the shared server and local threads.
  static NSRunLoop* serverRunLoopThread();
  static NSRunLoop* localRunLoopThread();

  // Keeps the port as server port and makes a new local port; both names are registered.
  bool connectWithServerMachPort(NSMachPort* port);
  bool runServerConnectionOnMachPort(NSMachPort* port);
  bool runLocalConnectionOnMachPort(NSMachPort* port);
  // Makes this connection the port's delegate and schedules it in the loop's common modes.
  bool runConnectionOnMachPort_withRunLoop(NSMachPort* port, NSRunLoop* runLoop);
  bool isConnected() const;
  // Unregisters, unschedules and lets go of both ports; the connection can connect again.
  virtual bool disconnect();

  static bool registerConnection_forMachPort(MachMessageConnection* connection, uint32_t portName);
  static bool unregisterConnectionForMachPort(uint32_t portName);
  static RefPtr<MachMessageConnection> connectionForMachPort(uint32_t portName);

  void anyMachPortDied(NSNotification* notification);
  virtual void serverPortDied(NSMachPort* port);
  virtual void localPortDied(NSMachPort* port);
  virtual void clientPortDied(NSMachPort* port);

  // Tells the delegate, if it listens, of a failed Mach call.
  void delegatedConnectionError(uint32_t code);

  // A message for a port of this connection; this base class has no routines and drops it.
  void handleMachMessage(void* msg) override;

  // Not retained.
  NSObject* connectionDelegate() const;
  void setConnectionDelegate(NSObject* delegate);
  // Strong references, so that a thread that drains no pool keeps nothing in one.
  RefPtr<NSMachPort> serverPort() const;
  RefPtr<NSMachPort> localPort() const;
  uint32_t serverPortName() const { return mServerPortName; }
  uint32_t localPortName() const { return mLocalPortName; }

 protected:
  MachMessageConnection() = default;
  void dealloc() override;
  // The delegate without leaving it in the autorelease pool.
  RefPtr<NSObject> connectionDelegateCopy() const { return mConnectionDelegate.get(); }

 private:
  WeakPtr<NSObject> mConnectionDelegate;
  mutable std::mutex mLock;
  RefPtr<NSMachPort> mServerPort;
  std::atomic<uint32_t> mServerPortName{0};
  RefPtr<NSMachPort> mLocalPort;
  std::atomic<uint32_t> mLocalPortName{0};
};
