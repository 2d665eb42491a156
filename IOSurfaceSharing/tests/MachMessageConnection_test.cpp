// Mach connections: their ports, the registry of port names, and the sorting of port deaths.
#include "MachMessageConnection.h"

#include <Foundation/NSNotificationCenter.h>
#include <gtest/gtest.h>
#include <mach/mach.h>

#include <vector>

class DeathRecorder : public MachMessageConnection {
  OBJC_CLASS_DECL(DeathRecorder, MachMessageConnection)

 public:
  void serverPortDied(NSMachPort*) override { deaths.push_back("server"); }
  void localPortDied(NSMachPort*) override { deaths.push_back("local"); }
  void clientPortDied(NSMachPort*) override { deaths.push_back("client"); }
  std::vector<std::string> deaths;

 protected:
  DeathRecorder() = default;
};
OBJC_CLASS_DEFINE(DeathRecorder)

namespace {

RefPtr<NSMachPort> newPort() { return adopt(NSMachPort::alloc()->init()); }

TEST(MachMessageConnection, AConnectionWithoutPortsIsNotConnected) {
  RefPtr<MachMessageConnection> connection = adopt(MachMessageConnection::alloc()->init());
  EXPECT_FALSE(connection->isConnected());
  EXPECT_FALSE(connection->connectWithServerMachPort(nullptr));
  EXPECT_FALSE(connection->isConnected());
  EXPECT_FALSE(connection->runConnectionOnMachPort_withRunLoop(nullptr, NSRunLoop::currentRunLoop()));
  RefPtr<NSMachPort> port = newPort();
  EXPECT_FALSE(connection->runConnectionOnMachPort_withRunLoop(port.get(), nullptr));
  EXPECT_TRUE(connection->disconnect());
}

TEST(MachMessageConnection, ItsPortNamesAreRegisteredUntilItDisconnects) {
  EXPECT_EQ(MachMessageConnection::connectionForMachPort(0x7777703), nullptr);
  RefPtr<MachMessageConnection> connection = adopt(MachMessageConnection::alloc()->init());
  RefPtr<NSMachPort> server = newPort();
  ASSERT_TRUE(connection->connectWithServerMachPort(server.get()));
  EXPECT_TRUE(connection->isConnected());
  const uint32_t serverName = connection->serverPortName();
  const uint32_t localName = connection->localPortName();
  EXPECT_EQ(serverName, server->machPort());
  EXPECT_NE(localName, 0u);
  EXPECT_NE(localName, serverName);
  EXPECT_EQ(MachMessageConnection::connectionForMachPort(serverName).get(), connection.get());
  EXPECT_EQ(MachMessageConnection::connectionForMachPort(localName).get(), connection.get());
  EXPECT_TRUE(connection->runServerConnectionOnMachPort(server.get()));
  EXPECT_TRUE(connection->runLocalConnectionOnMachPort(connection->localPort().get()));

  EXPECT_TRUE(connection->disconnect());
  EXPECT_FALSE(connection->isConnected());
  EXPECT_EQ(MachMessageConnection::connectionForMachPort(serverName), nullptr);
  EXPECT_EQ(MachMessageConnection::connectionForMachPort(localName), nullptr);
  EXPECT_EQ(connection->serverPortName(), 0u);
  // It can connect again.
  ASSERT_TRUE(connection->connectWithServerMachPort(server.get()));
  EXPECT_EQ(MachMessageConnection::connectionForMachPort(serverName).get(), connection.get());
  connection->disconnect();
}

TEST(MachMessageConnection, PortDeathsAreSortedByWhosePortDied) {
  RefPtr<DeathRecorder> connection = adopt(static_cast<DeathRecorder*>(DeathRecorder::alloc()->init()));
  RefPtr<NSMachPort> server = newPort();
  RefPtr<NSMachPort> other = newPort();
  ASSERT_TRUE(connection->connectWithServerMachPort(server.get()));
  connection->localPort()->invalidate();
  server->invalidate();
  other->invalidate();
  EXPECT_EQ(connection->deaths, (std::vector<std::string>{"local", "server", "client"}));
  connection->disconnect();
}

}  // namespace
