#pragma once
// CRC-64, reflected, polynomial 0x95AC9329AC4BC9B5 (0xAD93D23594C935A9 unreflected), initial
// value all ones and no final exclusive-or: the digest behind the machine id.
#include <cstddef>
#include <cstdint>

struct CRC64_DIGEST {
  uint64_t mCRC = ~uint64_t(0);

  void HashUpdate(const void* bytes, size_t length);
  uint64_t HashValue() const { return mCRC; }
};
