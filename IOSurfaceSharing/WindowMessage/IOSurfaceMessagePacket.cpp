#include "IOSurfaceMessagePacket.h"

#include <objc/RefPtr.h>

#include <cstring>

#include "CRC32MSBFirst.h"

const CGImageDataWrapper_T<tagIOSurfaceMessagePacket>& IOSurfaceMessagePacket_ImageDataWrapper() {
  static const CGImageDataWrapper_T<tagIOSurfaceMessagePacket> wrapper;
  return wrapper;
}

uint32_t IOSurfaceMessagePacket_CalculateChecksum(const tagIOSurfaceMessagePacket* packet) {
  return packet ? CRC32MSBFirst(packet, kIOSurfaceMessagePacketChecksumLength, 0xFFFFFFFFu) : 0;
}

bool IOSurfaceMessagePacket_ConstructEmpty(tagIOSurfaceMessagePacket* packet) {
  if (!packet) return false;
  *packet = tagIOSurfaceMessagePacket{};
  packet->sizeofIOSurfaceMessagePacket = kIOSurfaceMessagePacketSize;
  return true;
}

bool IOSurfaceMessagePacket_SetNextSurfaceMessage(tagIOSurfaceMessagePacket* packet, IOSurfaceRef surface,
                                                  uint64_t surfaceTime) {
  if (!packet || !surface) return false;
  const IOSurfaceID surfaceID = IOSurfaceGetID(surface);
  if (surfaceID == 0) return false;
  packet->sizeofIOSurfaceMessagePacket = kIOSurfaceMessagePacketSize;
  packet->sequenceNumber += 1;
  packet->surfaceID = surfaceID;
  packet->surfaceTime = surfaceTime;
  memset(packet->messagePadding, 0, sizeof packet->messagePadding);
  packet->alignmentPadding = 0;
  packet->messageChecksum = IOSurfaceMessagePacket_CalculateChecksum(packet);
  return true;
}

CGImageRef IOSurfaceMessagePacket_CopyImageDataAfterChecksumUpdate(tagIOSurfaceMessagePacket* packet) {
  if (!packet) return nullptr;
  packet->sizeofIOSurfaceMessagePacket = kIOSurfaceMessagePacketSize;
  packet->messageChecksum = IOSurfaceMessagePacket_CalculateChecksum(packet);
  return IOSurfaceMessagePacket_ImageDataWrapper().CGImageCreateByInterleavingData(packet);
}

bool IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(tagIOSurfaceMessagePacket* packet,
                                                                     CGImageRef image) {
  if (!packet) return false;
  packet->sizeofIOSurfaceMessagePacket = kIOSurfaceMessagePacketSize;
  packet->sequenceNumber = 0;
  packet->surfaceID = 0;
  packet->surfaceTime = 0;
  packet->messageChecksum = 0;
  const auto& wrapper = IOSurfaceMessagePacket_ImageDataWrapper();
  if (!wrapper.VerifyImageFormat(image)) return false;
  auto decodable = adopt(wrapper.CopyImageWithDecodingFormat(image));
  tagIOSurfaceMessagePacket read{};
  if (!decodable || !wrapper.CGImageDeinterleaveDataBytes(decodable.get(), &read)) return false;
  if (read.sizeofIOSurfaceMessagePacket != kIOSurfaceMessagePacketSize ||
      read.messageChecksum != IOSurfaceMessagePacket_CalculateChecksum(&read))
    return false;
  *packet = read;
  return true;
}

bool IOSurfaceMessagePacket_GetNextSurfaceMessage(const tagIOSurfaceMessagePacket* packet,
                                                  uint32_t& surfaceID, uint64_t& surfaceTime) {
  if (!packet || packet->sizeofIOSurfaceMessagePacket != kIOSurfaceMessagePacketSize ||
      packet->messageChecksum != IOSurfaceMessagePacket_CalculateChecksum(packet))
    return false;
  surfaceID = uint32_t(packet->surfaceID);
  surfaceTime = packet->surfaceTime;
  return true;
}
