#pragma once
// The window message: 48 bytes in host byte order that announce one frame's shared surface,
// checked by a CRC-32/MPEG-2 over their first 40 bytes, and carried as the pixels of a 24 x 4
// image (CGImageDataWrapper.h). Each function answers false (or null) for a null packet.
#include <CoreGraphics/CGImage.h>
#include <IOSurface/IOSurface.h>

#include <cstddef>
#include <cstdint>

#include "CGImageDataWrapper.h"

struct tagIOSurfaceMessagePacket {
  uint32_t sizeofIOSurfaceMessagePacket;  // 48
  uint32_t sequenceNumber;                // 1 for the first message sent, then one more each
  uint64_t surfaceID;                     // the surface's IOSurface id, zero-extended
  uint64_t surfaceTime;                   // the frame's host time in nanoseconds
  uint32_t messagePadding[4];             // zero
  uint32_t messageChecksum;               // over the 40 bytes above
  uint32_t alignmentPadding;              // zero
};
static_assert(sizeof(tagIOSurfaceMessagePacket) == 48, "a window message is 48 bytes");

constexpr uint32_t kIOSurfaceMessagePacketSize = sizeof(tagIOSurfaceMessagePacket);
constexpr size_t kIOSurfaceMessagePacketChecksumLength = offsetof(tagIOSurfaceMessagePacket, messageChecksum);

// The one wrapper of the process for messages (24 x 4 pixels).
const CGImageDataWrapper_T<tagIOSurfaceMessagePacket>& IOSurfaceMessagePacket_ImageDataWrapper();

// The CRC-32/MPEG-2 of the packet's first 40 bytes.
uint32_t IOSurfaceMessagePacket_CalculateChecksum(const tagIOSurfaceMessagePacket* packet);
// Size 48, everything else 0.
bool IOSurfaceMessagePacket_ConstructEmpty(tagIOSurfaceMessagePacket* packet);
// The next message, for the surface and time: false (the packet unchanged) for a null surface
// or one whose id is 0.
bool IOSurfaceMessagePacket_SetNextSurfaceMessage(tagIOSurfaceMessagePacket* packet, IOSurfaceRef surface,
                                                  uint64_t surfaceTime);
// The packet, its size and checksum brought up to date, as a new image (the caller releases it).
CGImageRef IOSurfaceMessagePacket_CopyImageDataAfterChecksumUpdate(tagIOSurfaceMessagePacket* packet);
// Decodes the message an image carries into the packet. The packet is left empty but for its
// size, and the answer is false, when the image is of another shape or pixel format, its bytes
// cannot be read, or they are no message of 48 bytes with a matching checksum.
bool IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(tagIOSurfaceMessagePacket* packet,
                                                                     CGImageRef image);
// The surface id (its low 32 bits) and time of a whole message with a matching checksum.
bool IOSurfaceMessagePacket_GetNextSurfaceMessage(const tagIOSurfaceMessagePacket* packet,
                                                  uint32_t& surfaceID, uint64_t& surfaceTime);
