#include "CRC32MSBFirst.h"

uint32_t CRC32MSBFirst(const void* bytes, size_t length, uint32_t initial) {
  uint32_t crc = initial;
  const auto* at = static_cast<const uint8_t*>(bytes);
  for (size_t i = 0; i < length; ++i) {
    crc ^= uint32_t(at[i]) << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return crc;
}
