#pragma once
// A view of pixel memory in a format. The view never owns or frees the memory.
#include <CoreGraphics/CGGeometry.h>

#include "UVideoFrameBuffer_Format.h"

namespace UVideoFrameBuffer {

class Data : public Format {
 public:
  Data() = default;
  virtual ~Data();
  Data(const Data&) = delete;
  Data& operator=(const Data&) = delete;

  // Takes the format and the memory (stored either way); true when both are non-zero.
  virtual bool ConstructData(const Format& format, void* data, unsigned long size);
  void DestructData();

  // The centred full-height rectangle of the given width/height ratio (the whole frame
  // when the frame already has it).
  CGRect GetFrameBufferRectWithAspectRatio(double aspect) const;
  // Row `row` counted from the bottom, as CoreGraphics counts; null outside the frame.
  void* CGGetPixelScanline(int row) const;
  // The pixel at (x, y) counted from the top-left; null outside the frame or the memory.
  void* GetPixelAtPoint(int x, int y) const;
  // Repeats the 32-bit value (in memory order) over the whole memory.
  void ErasePixelDataWithValue(uint32_t value);
  // Becomes a view of the part of `source` under `region` (cut to the source); false when
  // nothing of it lies inside.
  bool ConstructWithBufferRegion(const Data& source, CGRect region);
  bool ConstructWithBufferRegionHavingFrameAspectRatio(const Data& source, double aspect);
  void DebugDump(const char* label, bool dumpFormat) const;

  void* mFrameBufferData = nullptr;
  unsigned long mFrameBufferDataSizeBytes = 0;
};

}  // namespace UVideoFrameBuffer
