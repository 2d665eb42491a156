#include "UDPLoopBackMessageData.h"

#include <cstdio>
#include <cstring>

UDPLoopBackMessageData::UDPLoopBackMessageData() { memset(&mData, 0, sizeof mData); }

UDPLoopBackMessageData::UDPLoopBackMessageData(MessageType type, uint64_t surfaceID, uint64_t surfaceTime,
                                               const char* text)
    : UDPLoopBackMessageData() {
  mData.messageID = kMessageID;
  mData.messageType = type;
  mData.surfaceID = surfaceID;
  mData.surfaceTime = surfaceTime;
  if (text) strncpy(mData.text, text, sizeof mData.text - 1);
}

size_t UDPLoopBackMessageData::sendMessageDataSize() const {
  return kHeaderSize + strnlen(mData.text, sizeof mData.text - 1) + 1;
}

std::string UDPLoopBackMessageData::description() const {
  char text[160];
  snprintf(text, sizeof text, "messageID:%04x messageType:%d %llx %llx %.*s", unsigned(mData.messageID),
           int(mData.messageType), (unsigned long long)mData.surfaceID, (unsigned long long)mData.surfaceTime,
           int(sizeof mData.text), mData.text);
  return text;
}
