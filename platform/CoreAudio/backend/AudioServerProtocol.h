#pragma once
// The protocol between the audio client library and the audio server program. One
// SOCK_SEQPACKET Unix socket per client process, under the runtime folder; every packet is a
// header and a payload. The client sends requests and the server answers each with the same
// serial; the server also sends property changes (serial 0) at any time. Starting I/O answers
// with three descriptors: the shared memory of the session and two eventfds (the server's
// "cycle ready" and the client's "cycle done").
//
// The audio server reads this path's pid file to be told to rescan its plug-in folder:
//   kill -HUP $(cat <runtime>/CoreAudio/moxicam-audiod.pid)
#include <CoreAudio/AudioHardwareBase.h>
#include <CoreFoundation/CFBase.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace AudioServerProtocol {

enum class Message : uint32_t {
  Hello = 1,
  HasProperty,
  IsPropertySettable,
  GetPropertyDataSize,
  GetPropertyData,
  SetPropertyData,
  StartIO,
  StopIO,
  GetCurrentTime,
  PropertiesChanged = 100,
};

struct Header {
  uint32_t message;
  uint32_t serial;
  int32_t status;
  uint32_t payloadSize;
};

// The largest packet either side sends or takes.
constexpr size_t kMaxPacket = 64 * 1024;
// The largest property value a request may ask for.
constexpr UInt32 kMaxPropertyData = 60 * 1024;

// <runtime>/CoreAudio, and the socket and pid file in it.
std::string serverFolder();
std::string socketPath();
std::string pidFilePath();

// Appends values to a payload.
class Writer {
 public:
  template <class T>
  void put(const T& value) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
    mBytes.insert(mBytes.end(), bytes, bytes + sizeof(T));
  }
  void putBytes(const void* data, uint32_t size);
  // A CoreFoundation object (string, URL or property list); null writes "none".
  void putObject(CFTypeRef object);
  const std::vector<uint8_t>& bytes() const { return mBytes; }

 private:
  std::vector<uint8_t> mBytes;
};

// Takes values from a payload; every read fails, and stays failed, past the end.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
  template <class T>
  bool get(T& value) {
    if (!mGood || mSize - mOffset < sizeof(T)) return mGood = false;
    std::memcpy(&value, mData + mOffset, sizeof(T));
    mOffset += sizeof(T);
    return true;
  }
  // A byte run written by putBytes, at most `limit` bytes.
  bool getBytes(std::vector<uint8_t>& bytes, uint32_t limit);
  // An object written by putObject (+1, null for "none").
  bool getObject(CFTypeRef& object);
  bool good() const { return mGood; }
  bool atEnd() const { return mOffset == mSize; }

 private:
  const uint8_t* mData;
  size_t mSize;
  size_t mOffset = 0;
  bool mGood = true;
};

// Whether the value of the property is a CoreFoundation object reference (which crosses the
// socket as the object itself), and the same for its qualifier.
bool DataIsObject(AudioObjectPropertySelector selector);
bool QualifierIsObject(AudioObjectPropertySelector selector);

}  // namespace AudioServerProtocol
