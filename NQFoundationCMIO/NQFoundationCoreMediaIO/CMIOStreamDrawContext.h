#pragma once
// A stream whose frames are drawn with CoreGraphics: each tick takes a buffer from the
// stream's pool, wraps its memory in a bitmap context and lets DrawFrameSelf paint it.
// Without a subclass or a drawing block it paints a moving test pattern.
#include <CoreGraphics/CGContext.h>
#include <CoreVideo/CVPixelBufferPool.h>

#include <functional>
#include <mutex>

#include "CMIOStreamBase.h"

namespace NQCMIO {

// Paints the whole frame; the context is valid only during the call.
using CMIODrawFrameBlock = std::function<void(CGContextRef context, CGSize size, CMTime presentationTime,
                                              UInt64 firstHostTime)>;

class CMIOStreamDrawContext : public CMIOStreamBase {
 public:
  CMIOStreamDrawContext() = default;
  ~CMIOStreamDrawContext() override;

  const char* ClassName() const override { return "NQCMIO::CMIOStreamDrawContext"; }
  void Destruct() override { CMIOStreamBase::Destruct(); }
  // `drawBlock` points to a CMIODrawFrameBlock (or is null); the stream keeps a copy. A later
  // Construct with a block replaces the earlier block.
  bool Construct(CGSize size, void* drawBlock) override;
  CVPixelBufferRef CopyPixelBufferForPresentationTime(CMTime presentationTime) override;
  virtual void DrawFrameSelf(CGContextRef context, CGSize size, CMTime presentationTime, UInt64 firstHostTime);

  CVPixelBufferPoolRef CreatePixelBufferPoolWithMaxBufferCount(SInt64 count);
  CFDictionaryRef CopyPixelBufferProperties() const;
  CVPixelBufferRef NewPixelBufferFromPool() const;
  CVPixelBufferRef NewPixelBuffer() const;
  void ClearFrame(CGContextRef context, const CGRect& rect) const;
  static void DefaultDrawFrame(CGContextRef context, CGSize size, CMTime presentationTime, UInt64 firstHostTime);

 protected:
  RefPtr<__CVPixelBufferPool> mPixelBufferPool;
  UInt32 _pixelFormat = kCVPixelFormatType_32ARGB;

 private:
  std::mutex mDrawBlockLock;
  CMIODrawFrameBlock mDrawBlock;
};

}  // namespace NQCMIO
