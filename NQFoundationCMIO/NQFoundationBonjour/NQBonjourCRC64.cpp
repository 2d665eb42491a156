#include "NQBonjourCRC64.h"

#include <mutex>

namespace {

constexpr uint64_t kReflectedPolynomial = 0x95AC9329AC4BC9B5ULL;
uint64_t s_CRCTable[256];
std::once_flag sTableOnce;

void buildTable() {
  for (uint64_t n = 0; n < 256; ++n) {
    uint64_t entry = n;
    for (int bit = 0; bit < 8; ++bit) entry = (entry & 1) ? (entry >> 1) ^ kReflectedPolynomial : entry >> 1;
    s_CRCTable[n] = entry;
  }
}

}  // namespace

void CRC64_DIGEST::HashUpdate(const void* bytes, size_t length) {
  std::call_once(sTableOnce, buildTable);
  const auto* in = static_cast<const unsigned char*>(bytes);
  for (size_t i = 0; i < length; ++i) mCRC = (mCRC >> 8) ^ s_CRCTable[(mCRC ^ in[i]) & 0xFF];
}
