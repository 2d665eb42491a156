#include "IOSurfaceMachServer.h"

#include <Foundation/NSPortNameServer.h>
#include <mach/mach.h>

#include "IOSurfaceConnectionClientID.h"

OBJC_CLASS_DEFINE(IOSurfaceMachServer)

namespace {

IOSurfaceMachServerDelegate* listenerOf(const RefPtr<NSObject>& delegate) {
  return dynamic_cast<IOSurfaceMachServerDelegate*>(delegate.get());
}

bool timedOut(kern_return_t result) { return result == MACH_SEND_TIMED_OUT || result == MACH_RCV_TIMED_OUT; }

}  // namespace

IOSurfaceMachServer* IOSurfaceMachServer::serverWithDelegate(NSObject* delegate) {
  return static_cast<IOSurfaceMachServer*>(alloc()->initWithDelegate(delegate)->autorelease());
}

IOSurfaceMachServer* IOSurfaceMachServer::initWithDelegate(NSObject* delegate) {
  IOSurfaceMachConnection::initWithDelegate(delegate);
  return this;
}

bool IOSurfaceMachServer::publishServerConnectionWithServerPortName(NSString* name) {
  objc::AutoreleasePool pool;
  {
    std::lock_guard<std::mutex> guard(mNameLock);
    mOutputMachPortName = RefPtr<NSString>(name);
  }
  auto* port = static_cast<NSMachPort*>(NSMachBootstrapServer::sharedInstance()->servicePortWithName(name));
  return publishServerConnectionOnMachPort(port);
}

bool IOSurfaceMachServer::publishServerConnectionOnMachPort(NSMachPort* port) {
  if (!port) return false;
  return connectWithServerMachPort(port) && runServerConnectionOnMachPort(port);
}

void IOSurfaceMachServer::setServerOutputPortName(NSString* name) {
  disconnect();
  publishServerConnectionWithServerPortName(name);
}

NSString* IOSurfaceMachServer::serverOutputPortName() const {
  std::lock_guard<std::mutex> guard(mNameLock);
  return mOutputMachPortName ? static_cast<NSString*>(mOutputMachPortName->retain()->autorelease()) : nullptr;
}

IOSurfaceMachServer::Clients IOSurfaceMachServer::snapshot() {
  std::lock_guard<std::recursive_mutex> guard(mRemoteClientsLock);
  Clients clients;
  for (auto& [key, client] : mRemoteClients) clients.push_back(client);
  return clients;
}

void IOSurfaceMachServer::account(IOSurfaceMachServerRemoteClient* client, kern_return_t result) {
  if (!timedOut(result)) {
    client->missedReplies = 0;
    return;
  }
  if (++client->missedReplies < kMostMissedReplies) return;
  if (NSMachPort* port = client->port()) dropClientsOfPort(port);
}

void IOSurfaceMachServer::broadcastFrameSurface_surfaceTimeStamp(IOSurfaceRef surface, uint64_t surfaceTime) {
  const Clients clients = snapshot();
  if (clients.empty() || !isConnected()) return;
  const uint32_t surfaceID = surface ? IOSurfaceGetID(surface) : 0;
  for (const auto& client : clients)
    account(client.get(), sendBroadcastFrameSurface(client->portName(), surfaceTime, surfaceID));
}

uint64_t IOSurfaceMachServer::broadcastFrameSurfaceWithCurrentTimeStamp(IOSurfaceRef surface) {
  const uint64_t now = currentSurfaceTimeStamp();
  broadcastFrameSurface_surfaceTimeStamp(surface, now);
  return now;
}

void IOSurfaceMachServer::broadcastControlCommandName_commandValue(uint64_t commandName,
                                                                   uint64_t commandValue) {
  if (!isConnected()) return;
  for (const auto& client : snapshot())
    account(client.get(), sendBroadcastControlCommand(client->portName(), commandName, commandValue));
}

bool IOSurfaceMachServer::hasClientWithUniqueID(uint64_t clientID) {
  std::lock_guard<std::recursive_mutex> guard(mRemoteClientsLock);
  for (auto& [key, client] : mRemoteClients)
    if (client->clientID() == clientID) return true;
  return false;
}

bool IOSurfaceMachServer::hasClientWithUniqueIdentifierString(NSString* identifier) {
  return hasClientWithUniqueID(IOSurfaceConnectionClientID::uniqueIdentifierWithString(identifier));
}

int32_t IOSurfaceMachServer::__mach_message_ClientCheckIn_inClientID_inClientType_outClientIndex(
    uint32_t clientPortName, uint64_t clientID, uint64_t clientType, uint32_t* outClientIndex) {
  RefPtr<IOSurfaceMachServerRemoteClient> client =
      adopt(IOSurfaceMachServerRemoteClient::alloc()->initWithPortName_clientID_clientType(
          clientPortName, clientID, clientType));
  RefPtr<IOSurfaceMachServerRemoteClient> replaced;
  {
    std::lock_guard<std::recursive_mutex> guard(mRemoteClientsLock);
    RefPtr<IOSurfaceMachServerRemoteClient>& slot = mRemoteClients[clientPortName];
    replaced = std::move(slot);
    slot = client;
    if (outClientIndex) *outClientIndex = uint32_t(mRemoteClients.size());
  }
  // A client that died before its record was in the table is not heard of again: drop it now.
  if (!client->port() || !client->port()->isValid()) dropClientsOfPort(client->port());
  if (auto* listener = listenerOf(connectionDelegateCopy()))
    listener->surfaceServer_connectedClientWithID(this, clientID);
  return KERN_SUCCESS;
}

int32_t IOSurfaceMachServer::__mach_message_ClientFrameIn_frameSurfaceTime_frameSurfaceID(
    uint32_t clientPortName, uint64_t frameSurfaceTime, uint32_t surfaceID) {
  RefPtr<IOSurfaceMachServerRemoteClient> client;
  {
    std::lock_guard<std::recursive_mutex> guard(mRemoteClientsLock);
    auto found = mRemoteClients.find(clientPortName);
    if (found != mRemoteClients.end()) client = found->second;
  }
  if (!client) return KERN_SUCCESS;
  RefPtr<__IOSurface> surface = adopt(surfaceID ? IOSurfaceLookup(surfaceID) : nullptr);
  if (auto* listener = listenerOf(connectionDelegateCopy()))
    listener->surfaceServer_clientID_surfaceRef_surfaceTime(this, client->clientID(), surface.get(),
                                                            frameSurfaceTime);
  return KERN_SUCCESS;
}

void IOSurfaceMachServer::dropClientsOfPort(NSMachPort* port) {
  Clients dropped;
  {
    std::lock_guard<std::recursive_mutex> guard(mRemoteClientsLock);
    for (auto at = mRemoteClients.begin(); at != mRemoteClients.end();) {
      NSMachPort* clientPort = at->second->port();
      if (port ? clientPort && clientPort->isEqual(port) : !clientPort) {
        dropped.push_back(std::move(at->second));
        at = mRemoteClients.erase(at);
      } else {
        ++at;
      }
    }
  }
  if (auto* listener = listenerOf(connectionDelegateCopy()))
    listener->surfaceServer_disconnectedClientWithPort(this, port);
}

void IOSurfaceMachServer::clientPortDied(NSMachPort* port) { dropClientsOfPort(port); }

void IOSurfaceMachServer::serverPortDied(NSMachPort* port) {
  RefPtr<NSMachPort> server = serverPort();
  if (!server || !server->isEqual(port)) return;
  if (auto* listener = listenerOf(connectionDelegateCopy()))
    listener->surfaceServer_disconnectedServerPort(this, port);
}
