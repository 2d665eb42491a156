#pragma once
// The CRC-32 of the polynomial 0x04C11DB7 taken most significant bit first (not reflected),
// without a final inversion; the register starts at `initial`. With 0xFFFFFFFF it is the
// CRC-32/MPEG-2 that checks window messages; with 0 it makes the Mach service's client ids.
#include <cstddef>
#include <cstdint>

uint32_t CRC32MSBFirst(const void* bytes, size_t length, uint32_t initial);
