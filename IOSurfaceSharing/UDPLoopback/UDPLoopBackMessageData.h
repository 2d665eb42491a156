#pragma once
// One datagram of the frame protocol: a packed 78-byte record in the host's byte order,
// sent short (the text ends the datagram, with its NUL).
//
//   offset size
//   0      4    messageID    "PIyb"
//   4      2    messageType  MessageType
//   6      8    surface id   the global surface's id, zero-extended; 0 when not used
//   14     8    surface time the frame's host time in nanoseconds; 0 when not used
//   22     56   text         NUL-terminated ASCII, zero after the NUL
#include <cstddef>
#include <cstdint>
#include <string>

enum MessageType : uint16_t {
  MessageType_ClientPing = 1,      // client -> server: subscribe (again)
  MessageType_ServerAck = 2,       // server -> subscriber
  MessageType_ServerDataCast = 3,  // server -> every subscriber, once per frame
};

#pragma pack(push, 1)
struct UDPLoopBackMessageRecord {
  uint32_t messageID;
  uint16_t messageType;
  uint64_t surfaceID;
  uint64_t surfaceTime;
  char text[56];
};
#pragma pack(pop)
static_assert(sizeof(UDPLoopBackMessageRecord) == 78);

class UDPLoopBackMessageData {
 public:
  static constexpr uint32_t kMessageID = 0x62794950;  // the bytes "PIyb"
  static constexpr size_t kHeaderSize = offsetof(UDPLoopBackMessageRecord, text);
  static constexpr size_t kRecordSize = sizeof(UDPLoopBackMessageRecord);

  static constexpr const char* kClientPingText = "MessageType_ClientPing";
  static constexpr const char* kServerAckText = "from server:MessageType_ServerAck.";
  static constexpr const char* kServerDataCastText = "from server:MessageType_ServerDataCast.";

  // All zero: no magic, type 0.
  UDPLoopBackMessageData();
  // A text longer than the field holds is cut so that the NUL still fits.
  UDPLoopBackMessageData(MessageType type, uint64_t surfaceID, uint64_t surfaceTime, const char* text);
  virtual ~UDPLoopBackMessageData() = default;

  bool HasMessageID() const { return mData.messageID == kMessageID; }
  uint16_t GetMessageType() const { return mData.messageType; }
  uint64_t GetSurfaceID() const { return mData.surfaceID; }
  uint64_t GetSurfaceTime() const { return mData.surfaceTime; }
  const char* GetText() const { return mData.text; }

  // The bytes to send: the header, the text and its NUL.
  const void* sendMessageData() const { return &mData; }
  size_t sendMessageDataSize() const;
  // Receiving fills the record; reading at most kRecordSize - 1 bytes keeps the text's last
  // byte NUL.
  void* receiveMessageData() { return &mData; }
  static constexpr size_t receiveMessageDataSize() { return kRecordSize - 1; }

  // "messageID:%04x messageType:%d %llx %llx %s"
  std::string description() const;

 private:
  UDPLoopBackMessageRecord mData;
};
