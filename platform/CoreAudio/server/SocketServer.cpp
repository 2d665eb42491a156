#include "SocketServer.h"

#include <CoreFoundation/CFPlatformRoot.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

#include "../backend/PacketSocket.h"
#include "SharedMemoryEndpoint.h"

namespace AudioServer {

using namespace AudioServerProtocol;

namespace {

// How long a send to a client may block before the client counts as stuck and is dropped.
constexpr time_t kSendTimeoutSeconds = 2;
constexpr uint32_t kMaxQualifierSize = 4096;

// A qualifier as the client sent it: raw bytes, or an object whose reference is passed.
struct Qualifier {
  std::vector<uint8_t> bytes;
  RefPtr<const NSObject> object;
  CFTypeRef reference = nullptr;

  UInt32 size() const { return object ? UInt32(sizeof reference) : UInt32(bytes.size()); }
  const void* data() const { return object ? static_cast<const void*>(&reference) : bytes.data(); }
};

bool readQualifier(Reader& reader, Qualifier& qualifier) {
  uint8_t isObject = 0;
  if (!reader.get(isObject)) return false;
  if (!isObject) return reader.getBytes(qualifier.bytes, kMaxQualifierSize);
  CFTypeRef object = nullptr;
  if (!reader.getObject(object)) return false;
  qualifier.object = adopt(static_cast<const NSObject*>(object));
  qualifier.reference = object;
  return object != nullptr;
}

}  // namespace

class SocketServer::Connection final : public ClientEndpoint {
 public:
  Connection(Server& server, int socket) : mServer(server), mSocket(socket) {
    timeval timeout{kSendTimeoutSeconds, 0};
    setsockopt(mSocket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    mThread = std::thread([this] { run(); });
  }

  ~Connection() override {
    shutdown(mSocket, SHUT_RDWR);
    mThread.join();
    ::close(mSocket);
  }

  bool finished() const { return mFinished.load(); }

  void propertiesChanged(AudioObjectID objectID, UInt32 count,
                         const AudioObjectPropertyAddress* addresses) override {
    Writer writer;
    writer.put(objectID);
    writer.put(count);
    for (UInt32 i = 0; i < count; ++i) writer.put(addresses[i]);
    send(Header{uint32_t(Message::PropertiesChanged), 0, 0, 0}, writer);
  }

 private:
  void send(const Header& header, const Writer& payload, const std::vector<int>& fds = {}) {
    std::lock_guard<std::mutex> guard(mSendLock);
    // A client that does not take what it is sent is stuck; it is dropped.
    if (!sendPacket(mSocket, header, payload.bytes(), fds)) shutdown(mSocket, SHUT_RDWR);
  }

  void reply(const Header& request, OSStatus status, const Writer& payload = Writer(),
             const std::vector<int>& fds = {}) {
    send(Header{request.message, request.serial, status, 0}, payload, fds);
  }

  void report(const char* what) {
    std::fprintf(stderr, "moxicam-audiod: client %u (pid %d): %s\n", unsigned(mClientID), int(mPID), what);
  }

  void run() {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (getsockopt(mSocket, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0) mPID = credentials.pid;
    while (true) {
      Packet packet;
      const int received = receivePacket(mSocket, packet);
      if (received == 0) break;
      if (received < 0) {
        report("sent a packet that is not a request of the protocol");
        // A request whose header came whole is answered; a scrap names no request to answer.
        if (packet.headerKnown) reply(packet.header, kAudioHardwareBadPropertySizeError);
        continue;
      }
      packet.closeDescriptors();
      handle(packet);
    }
    if (mClientID) mServer.removeClient(mClientID);
    mFinished = true;
  }

  void handle(const Packet& packet) {
    const Header& header = packet.header;
    Reader reader(packet.payload.data(), packet.payload.size());
    const auto message = Message(header.message);
    if (message == Message::Hello) {
      hello(header, reader);
      return;
    }
    if (!mClientID) {
      report("made a request before introducing itself");
      reply(header, kAudioHardwareIllegalOperationError);
      return;
    }
    switch (message) {
      case Message::HasProperty:
      case Message::IsPropertySettable:
      case Message::GetPropertyDataSize:
      case Message::GetPropertyData:
      case Message::SetPropertyData:
        property(message, header, reader);
        return;
      case Message::StartIO:
      case Message::StopIO:
      case Message::GetCurrentTime:
        device(message, header, reader);
        return;
      default:
        report("sent a request the server does not know");
        reply(header, kAudioHardwareUnsupportedOperationError);
        return;
    }
  }

  void malformed(const Header& header) {
    report("sent a request whose size does not match its contents");
    reply(header, kAudioHardwareBadPropertySizeError);
  }

  void hello(const Header& header, Reader& reader) {
    int32_t pid = 0;
    CFTypeRef bundleID = nullptr;
    if (!reader.get(pid) || !reader.getObject(bundleID) || !reader.atEnd()) {
      if (bundleID) CFRelease(bundleID);
      malformed(header);
      return;
    }
    RefPtr<const NSObject> owned = adopt(static_cast<const NSObject*>(bundleID));
    if (mClientID) {
      report("introduced itself twice");
      reply(header, kAudioHardwareIllegalOperationError);
      return;
    }
    if (bundleID && CFGetTypeID(bundleID) != CFStringGetTypeID()) bundleID = nullptr;
    if (!mPID) mPID = pid;
    mClientID = mServer.addClient(mPID, static_cast<CFStringRef>(bundleID), this);
    Writer writer;
    writer.put(mClientID);
    reply(header, kAudioHardwareNoError, writer);
  }

  void property(Message message, const Header& header, Reader& reader) {
    AudioObjectID objectID = 0;
    AudioObjectPropertyAddress address{};
    if (!reader.get(objectID) || !reader.get(address)) return malformed(header);
    Writer writer;
    switch (message) {
      case Message::HasProperty:
        if (!reader.atEnd()) return malformed(header);
        reply(header, mServer.hasProperty(mClientID, objectID, address) ? 1 : 0);
        return;
      case Message::IsPropertySettable: {
        if (!reader.atEnd()) return malformed(header);
        Boolean settable = false;
        const OSStatus status = mServer.isPropertySettable(mClientID, objectID, address, &settable);
        writer.put(uint8_t(settable ? 1 : 0));
        reply(header, status, writer);
        return;
      }
      case Message::GetPropertyDataSize: {
        Qualifier qualifier;
        if (!readQualifier(reader, qualifier) || !reader.atEnd()) return malformed(header);
        UInt32 size = 0;
        const OSStatus status = mServer.getPropertyDataSize(mClientID, objectID, address, qualifier.size(),
                                                            qualifier.data(), &size);
        writer.put(size);
        reply(header, status, writer);
        return;
      }
      case Message::GetPropertyData:
        return getPropertyData(header, reader, objectID, address);
      default:
        return setPropertyData(header, reader, objectID, address);
    }
  }

  void getPropertyData(const Header& header, Reader& reader, AudioObjectID objectID,
                       const AudioObjectPropertyAddress& address) {
    UInt32 inDataSize = 0;
    Qualifier qualifier;
    if (!reader.get(inDataSize) || !readQualifier(reader, qualifier) || !reader.atEnd())
      return malformed(header);
    Writer writer;
    if (inDataSize > kMaxPropertyData) {
      report("asked for more property data than a request may carry");
      writer.put(uint8_t(0));
      writer.putBytes(nullptr, 0);
      reply(header, kAudioHardwareBadPropertySizeError, writer);
      return;
    }
    std::vector<uint8_t> data(std::max<UInt32>(inDataSize, 1), 0);
    UInt32 written = 0;
    const OSStatus status = mServer.getPropertyData(mClientID, objectID, address, qualifier.size(),
                                                    qualifier.data(), inDataSize, &written, data.data());
    if (status == kAudioHardwareNoError && DataIsObject(address.mSelector) && written == sizeof(CFTypeRef)) {
      CFTypeRef object = nullptr;
      std::memcpy(&object, data.data(), sizeof object);
      writer.put(uint8_t(1));
      writer.putObject(object);
      if (object) CFRelease(object);
    } else {
      writer.put(uint8_t(0));
      writer.putBytes(data.data(), std::min(written, inDataSize));
    }
    reply(header, status, writer);
  }

  void setPropertyData(const Header& header, Reader& reader, AudioObjectID objectID,
                       const AudioObjectPropertyAddress& address) {
    Qualifier qualifier;
    Qualifier data;
    if (!readQualifier(reader, qualifier) || !readQualifier(reader, data) || !reader.atEnd()) {
      return malformed(header);
    }
    reply(header, mServer.setPropertyData(mClientID, objectID, address, qualifier.size(), qualifier.data(),
                                          data.size(), data.data()));
  }

  void device(Message message, const Header& header, Reader& reader) {
    AudioObjectID deviceID = 0;
    if (!reader.get(deviceID) || !reader.atEnd()) return malformed(header);
    if (message == Message::StopIO) {
      reply(header, mServer.stopIO(mClientID, deviceID));
      return;
    }
    if (message == Message::GetCurrentTime) {
      AudioTimeStamp time{};
      const OSStatus status = mServer.getCurrentTime(deviceID, &time);
      Writer writer;
      writer.put(time);
      reply(header, status, writer);
      return;
    }
    std::vector<int> descriptors;
    const OSStatus status = mServer.startIO(mClientID, deviceID, [&](const DeviceLayout& layout) {
      std::unique_ptr<SharedMemoryEndpoint> endpoint = SharedMemoryEndpoint::create(layout);
      if (endpoint) {
        descriptors = {dup(endpoint->memoryDescriptor()), dup(endpoint->cycleDescriptor()),
                       dup(endpoint->doneDescriptor())};
      }
      return std::unique_ptr<IOSessionEndpoint>(std::move(endpoint));
    });
    reply(header, status, Writer(), status == kAudioHardwareNoError ? descriptors : std::vector<int>{});
    for (int fd : descriptors) ::close(fd);
  }

  Server& mServer;
  const int mSocket;
  std::thread mThread;
  std::mutex mSendLock;
  UInt32 mClientID = 0;
  pid_t mPID = 0;
  std::atomic<bool> mFinished{false};
};

SocketServer::SocketServer(Server& server) : mServer(server) {}

SocketServer::~SocketServer() {
  std::list<std::unique_ptr<Connection>> connections;
  {
    std::lock_guard<std::mutex> guard(mConnectionsLock);
    connections.swap(mConnections);
  }
  connections.clear();
  if (mListening >= 0) close(mListening);
  if (mOwnsFiles) {
    unlink(socketPath().c_str());
    unlink(pidFilePath().c_str());
  }
}

bool SocketServer::listen(std::string& error) {
  CFPlatform::makeFolders(serverFolder());
  const std::string path = socketPath();
  const SocketAddress address(path);
  if (!address.valid()) {
    error = "the socket path " + path + " cannot be used";
    return false;
  }
  // A socket file that answers belongs to a server that runs; one that does not is left over.
  const int probe = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (probe >= 0 && connect(probe, address.get(), address.size()) == 0) {
    close(probe);
    error = "another audio server answers on " + path;
    return false;
  }
  if (probe >= 0) close(probe);
  unlink(path.c_str());
  mListening = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (mListening < 0 || bind(mListening, address.get(), address.size()) != 0 ||
      ::listen(mListening, 64) != 0) {
    error = "cannot listen on " + path + ": " + std::strerror(errno);
    return false;
  }
  mOwnsFiles = true;
  std::ofstream(pidFilePath()) << getpid() << "\n";
  return true;
}

void SocketServer::acceptConnection() {
  reapFinished();
  const int client = accept4(mListening, nullptr, nullptr, SOCK_CLOEXEC);
  if (client < 0) return;
  std::lock_guard<std::mutex> guard(mConnectionsLock);
  mConnections.push_back(std::make_unique<Connection>(mServer, client));
}

void SocketServer::reapFinished() {
  std::list<std::unique_ptr<Connection>> finished;
  {
    std::lock_guard<std::mutex> guard(mConnectionsLock);
    for (auto it = mConnections.begin(); it != mConnections.end();) {
      if ((*it)->finished()) {
        finished.push_back(std::move(*it));
        it = mConnections.erase(it);
      } else {
        ++it;
      }
    }
  }
}

}  // namespace AudioServer
