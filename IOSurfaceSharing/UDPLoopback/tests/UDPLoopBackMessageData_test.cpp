// The datagram of the frame protocol, byte for byte, and the port plan.
#include "UDPLoopBackMessageData.h"

#include <gtest/gtest.h>

#include <cstring>

#include "UDPLoopbackMessageProtocol.h"

namespace {

TEST(UDPLoopBackMessageData, EachMessageIsSentWithItsTextAndNothingAfter) {
  struct Case {
    MessageType type;
    const char* text;
    size_t size;
  } cases[] = {
      {MessageType_ClientPing, UDPLoopBackMessageData::kClientPingText, 45},
      {MessageType_ServerAck, UDPLoopBackMessageData::kServerAckText, 57},
      {MessageType_ServerDataCast, UDPLoopBackMessageData::kServerDataCastText, 62},
  };
  for (const Case& c : cases) {
    const UDPLoopBackMessageData message(c.type, 0, 0, c.text);
    EXPECT_EQ(message.sendMessageDataSize(), c.size) << c.text;
    const auto* bytes = static_cast<const unsigned char*>(message.sendMessageData());
    EXPECT_EQ(bytes[c.size - 1], 0) << c.text;
    EXPECT_EQ(memcmp(bytes + 22, c.text, strlen(c.text)), 0) << c.text;
  }
}

TEST(UDPLoopBackMessageData, FieldsStandWhereReadersLookForThem) {
  const UDPLoopBackMessageData message(MessageType_ServerDataCast, 0xA1B2C3D4, 0x0102030405060708ull,
                                       UDPLoopBackMessageData::kServerDataCastText);
  const auto* bytes = static_cast<const unsigned char*>(message.sendMessageData());
  const unsigned char expected[22] = {'P',  'I',  'y', 'b', 3, 0, 0xD4, 0xC3,
                                      0xB2, 0xA1, 0,   0,   0, 0,  // the 32-bit id, zero above
                                      8,    7,    6,   5,   4, 3, 2,    1};
  EXPECT_EQ(memcmp(bytes, expected, sizeof expected), 0);
  EXPECT_EQ(
      message.description(),
      "messageID:62794950 messageType:3 a1b2c3d4 102030405060708 from server:MessageType_ServerDataCast.");
}

TEST(UDPLoopBackMessageData, ZeroedRecordAndOverlongText) {
  const UDPLoopBackMessageData empty;
  EXPECT_FALSE(empty.HasMessageID());
  EXPECT_EQ(empty.GetMessageType(), 0);
  EXPECT_EQ(empty.sendMessageDataSize(), 23u);

  // A text longer than the field is cut so that the datagram ends in its NUL within 78 bytes.
  const std::string longText(100, 'x');
  const UDPLoopBackMessageData message(MessageType_ClientPing, 0, 0, longText.c_str());
  EXPECT_EQ(message.sendMessageDataSize(), 78u);
  EXPECT_EQ(strlen(message.GetText()), 55u);
  EXPECT_EQ(UDPLoopBackMessageData::receiveMessageDataSize(), 77u);
}

TEST(UDPLoopbackMessageProtocol, ClientPortsFollowTheListenerIn16Bits) {
  struct Case {
    uint16_t listener, first, last;
  } cases[] = {{30100, 30101, 30130}, {65530, 65531, 24}, {65505, 65506, 65535}, {0, 1, 30}};
  for (const Case& c : cases) {
    const UDPLoopbackMessageProtocol protocol(c.listener);
    EXPECT_EQ(protocol.GetClientFirstPort(), c.first) << c.listener;
    EXPECT_EQ(protocol.GetClientLastPort(), c.last) << c.listener;
    EXPECT_EQ(protocol.GetServerIPAddress().GetAddressString(true),
              "127.0.0.1:" + std::to_string(c.listener));
  }
}

}  // namespace
