#include "SocketConnection.h"

#include <CoreFoundation/CFBundle.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "ClientIOSession.h"

namespace HALClient {

using namespace AudioServerProtocol;

namespace {

// How long a request waits for the server before it counts as gone.
constexpr auto kReplyTimeout = std::chrono::seconds(10);

void writeAddress(Writer& writer, AudioObjectID objectID, const AudioObjectPropertyAddress& address) {
  writer.put(objectID);
  writer.put(address);
}

}  // namespace

std::unique_ptr<Connection> SocketConnection::connect(ConnectionEvents& events) {
  const SocketAddress address(socketPath());
  if (!address.valid()) return nullptr;
  const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  if (::connect(fd, address.get(), address.size()) != 0) {
    close(fd);
    return nullptr;
  }
  std::unique_ptr<SocketConnection> connection(new SocketConnection(fd, events));
  // The process introduces itself: its id and its bundle identifier, when it has one.
  Writer hello;
  hello.put(int32_t(getpid()));
  CFStringRef bundleID = CFBundleGetIdentifier(CFBundleGetMainBundle());
  hello.putObject(bundleID);
  Packet reply;
  if (!connection->request(Message::Hello, hello, reply) || reply.header.status != kAudioHardwareNoError ||
      !connection->markIntroduced()) {
    return nullptr;
  }
  return connection;
}

bool SocketConnection::markIntroduced() {
  std::lock_guard<std::mutex> guard(mRepliesLock);
  if (mClosed) return false;
  mIntroduced = true;
  return true;
}

SocketConnection::SocketConnection(int socket, ConnectionEvents& events) : mSocket(socket), mEvents(events) {
  mReader = std::thread([this] { readerMain(); });
}

SocketConnection::~SocketConnection() {
  {
    std::lock_guard<std::mutex> guard(mSessionsLock);
    mSessions.clear();
  }
  shutdown(mSocket, SHUT_RDWR);
  // The last reference may go on the reader itself, as it tells that the server is gone; it
  // then has nothing left to do but return.
  if (mReader.get_id() == std::this_thread::get_id()) {
    mReader.detach();
  } else {
    mReader.join();
  }
  close(mSocket);
}

void SocketConnection::readerMain() {
  while (true) {
    Packet packet;
    const int received = receivePacket(mSocket, packet);
    if (received == 0) break;
    if (received < 0) continue;
    if (packet.header.message == uint32_t(Message::PropertiesChanged)) {
      Reader reader(packet.payload.data(), packet.payload.size());
      AudioObjectID objectID = 0;
      UInt32 count = 0;
      if (!reader.get(objectID) || !reader.get(count) || count > 64) continue;
      std::vector<AudioObjectPropertyAddress> addresses(count);
      bool good = true;
      for (AudioObjectPropertyAddress& address : addresses) good = good && reader.get(address);
      if (good) mEvents.propertiesChanged(objectID, count, addresses.data());
      continue;
    }
    std::lock_guard<std::mutex> guard(mRepliesLock);
    mReplies[packet.header.serial] = std::move(packet);
    mRepliesChanged.notify_all();
  }
  bool wasOpen;
  {
    std::lock_guard<std::mutex> guard(mRepliesLock);
    wasOpen = mIntroduced && !mClosed;
    mClosed = true;
    mRepliesChanged.notify_all();
  }
  if (wasOpen) mEvents.connectionLost();
}

bool SocketConnection::request(Message message, const Writer& payload, Packet& reply) {
  uint32_t serial;
  {
    std::lock_guard<std::mutex> guard(mSendLock);
    serial = mNextSerial++;
    if (serial == 0) serial = mNextSerial++;
    if (!sendPacket(mSocket, Header{uint32_t(message), serial, 0, 0}, payload.bytes())) return false;
  }
  std::unique_lock<std::mutex> guard(mRepliesLock);
  const bool answered =
      mRepliesChanged.wait_for(guard, kReplyTimeout, [&] { return mClosed || mReplies.count(serial); });
  auto found = mReplies.find(serial);
  if (!answered || found == mReplies.end()) return false;
  reply = std::move(found->second);
  mReplies.erase(found);
  return true;
}

void SocketConnection::writeQualifier(Writer& writer, const AudioObjectPropertyAddress& address,
                                      UInt32 qualifierSize, const void* qualifier) {
  if (QualifierIsObject(address.mSelector) && qualifierSize == sizeof(CFTypeRef)) {
    CFTypeRef object = nullptr;
    std::memcpy(&object, qualifier, sizeof object);
    writer.put(uint8_t(1));
    writer.putObject(object);
    return;
  }
  writer.put(uint8_t(0));
  writer.putBytes(qualifier, qualifierSize);
}

Boolean SocketConnection::hasProperty(AudioObjectID objectID, const AudioObjectPropertyAddress& address) {
  Writer writer;
  writeAddress(writer, objectID, address);
  Packet reply;
  return request(Message::HasProperty, writer, reply) && reply.header.status == 1;
}

OSStatus SocketConnection::isPropertySettable(AudioObjectID objectID,
                                              const AudioObjectPropertyAddress& address,
                                              Boolean* outIsSettable) {
  Writer writer;
  writeAddress(writer, objectID, address);
  Packet reply;
  if (!request(Message::IsPropertySettable, writer, reply)) return kAudioHardwareNotRunningError;
  Reader reader(reply.payload.data(), reply.payload.size());
  uint8_t settable = 0;
  if (reply.header.status == kAudioHardwareNoError && reader.get(settable)) *outIsSettable = settable != 0;
  return reply.header.status;
}

OSStatus SocketConnection::getPropertyDataSize(AudioObjectID objectID,
                                               const AudioObjectPropertyAddress& address,
                                               UInt32 qualifierSize, const void* qualifier,
                                               UInt32* outDataSize) {
  Writer writer;
  writeAddress(writer, objectID, address);
  writeQualifier(writer, address, qualifierSize, qualifier);
  Packet reply;
  if (!request(Message::GetPropertyDataSize, writer, reply)) return kAudioHardwareNotRunningError;
  Reader reader(reply.payload.data(), reply.payload.size());
  UInt32 size = 0;
  if (reply.header.status == kAudioHardwareNoError && reader.get(size)) *outDataSize = size;
  return reply.header.status;
}

OSStatus SocketConnection::getPropertyData(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                                           UInt32 qualifierSize, const void* qualifier, UInt32* ioDataSize,
                                           void* outData) {
  Writer writer;
  writeAddress(writer, objectID, address);
  writer.put(*ioDataSize);
  writeQualifier(writer, address, qualifierSize, qualifier);
  Packet reply;
  if (!request(Message::GetPropertyData, writer, reply)) return kAudioHardwareNotRunningError;
  Reader reader(reply.payload.data(), reply.payload.size());
  uint8_t isObject = 0;
  if (!reader.get(isObject)) {
    *ioDataSize = 0;
    return reply.header.status;
  }
  if (isObject) {
    CFTypeRef object = nullptr;
    if (!reader.getObject(object) || *ioDataSize < sizeof object) {
      if (object) CFRelease(object);
      *ioDataSize = 0;
      return reply.header.status == kAudioHardwareNoError ? kAudioHardwareUnspecifiedError
                                                          : reply.header.status;
    }
    std::memcpy(outData, &object, sizeof object);
    *ioDataSize = sizeof object;
    return reply.header.status;
  }
  std::vector<uint8_t> data;
  if (!reader.getBytes(data, *ioDataSize)) {
    *ioDataSize = 0;
    return reply.header.status == kAudioHardwareNoError ? kAudioHardwareUnspecifiedError
                                                        : reply.header.status;
  }
  if (!data.empty()) std::memcpy(outData, data.data(), data.size());
  *ioDataSize = UInt32(data.size());
  return reply.header.status;
}

OSStatus SocketConnection::setPropertyData(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                                           UInt32 qualifierSize, const void* qualifier, UInt32 inDataSize,
                                           const void* inData) {
  Writer writer;
  writeAddress(writer, objectID, address);
  writeQualifier(writer, address, qualifierSize, qualifier);
  if (DataIsObject(address.mSelector) && inDataSize == sizeof(CFTypeRef)) {
    CFTypeRef object = nullptr;
    std::memcpy(&object, inData, sizeof object);
    writer.put(uint8_t(1));
    writer.putObject(object);
  } else {
    writer.put(uint8_t(0));
    writer.putBytes(inData, inDataSize);
  }
  Packet reply;
  if (!request(Message::SetPropertyData, writer, reply)) return kAudioHardwareNotRunningError;
  return reply.header.status;
}

OSStatus SocketConnection::startIO(AudioObjectID deviceID, IOCycleHandler* handler) {
  Writer writer;
  writer.put(deviceID);
  Packet reply;
  if (!request(Message::StartIO, writer, reply)) return kAudioHardwareNotRunningError;
  if (reply.header.status != kAudioHardwareNoError) {
    reply.closeDescriptors();
    return reply.header.status;
  }
  if (reply.fds.size() != 3) {
    reply.closeDescriptors();
    return kAudioHardwareUnspecifiedError;
  }
  std::unique_ptr<ClientIOSession> session =
      ClientIOSession::open(deviceID, reply.fds[0], reply.fds[1], reply.fds[2], handler);
  if (!session) {
    stopIO(deviceID);
    return kAudioHardwareUnspecifiedError;
  }
  std::lock_guard<std::mutex> guard(mSessionsLock);
  mSessions[deviceID] = std::move(session);
  return kAudioHardwareNoError;
}

OSStatus SocketConnection::stopIO(AudioObjectID deviceID) {
  Writer writer;
  writer.put(deviceID);
  Packet reply;
  const bool answered = request(Message::StopIO, writer, reply);
  std::unique_ptr<ClientIOSession> session;
  {
    std::lock_guard<std::mutex> guard(mSessionsLock);
    auto found = mSessions.find(deviceID);
    if (found != mSessions.end()) {
      session = std::move(found->second);
      mSessions.erase(found);
    }
  }
  return answered ? reply.header.status : kAudioHardwareNotRunningError;
}

OSStatus SocketConnection::getCurrentTime(AudioObjectID deviceID, AudioTimeStamp* outTime) {
  {
    std::lock_guard<std::mutex> guard(mSessionsLock);
    auto found = mSessions.find(deviceID);
    if (found != mSessions.end()) return found->second->currentTime(outTime);
  }
  Writer writer;
  writer.put(deviceID);
  Packet reply;
  if (!request(Message::GetCurrentTime, writer, reply)) return kAudioHardwareNotRunningError;
  Reader reader(reply.payload.data(), reply.payload.size());
  AudioTimeStamp time{};
  if (reply.header.status == kAudioHardwareNoError && reader.get(time)) *outTime = time;
  return reply.header.status;
}

}  // namespace HALClient
