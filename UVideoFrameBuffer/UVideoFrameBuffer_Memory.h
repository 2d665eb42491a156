#pragma once
// A frame buffer that owns its pixels.
#include "UVideoFrameBuffer_Base.h"

namespace UVideoFrameBuffer {

class Memory : public Base {
 public:
  Memory() = default;
  ~Memory() override;

  using Base::Construct;
  // Frees the old pixels and allocates height × row bytes; false for a zero size or a
  // failed allocation.
  bool Construct(const Format& format) override;
  // As Construct, with room for at least `minimumSize` bytes (work areas larger than a frame).
  bool ConstructWithFormatAndMinimumDataSize(const Format& format, unsigned long minimumSize);
  void Destruct();
};

}  // namespace UVideoFrameBuffer
