#pragma once
// A frame buffer whose pixels are those of an ARGB bitmap context (premultiplied, alpha
// first), for drawing messages into a frame.
#include <UVideoFrameBuffer.h>
#include <namespace_CoreGraphics_BitmapContext.h>

#include "namespace_CoreGraphics_CoreTextMessage.h"

namespace UVideoFrameBuffer {

class GraphicsContext : public Base, private CoreGraphics::CoreTextMessage {
 public:
  GraphicsContext() = default;
  ~GraphicsContext() override;

  using Base::Construct;
  // A width x height 'ARGB' frame over a new bitmap, erased; false for a zero area or when
  // the bitmap cannot be made.
  bool Construct(CGSize size) override;
  void Destruct();
  // Clears the frame to the background colour (skipped while a reader holds the frame).
  void EraseBackground();
  void DrawTextCentered(const char* text);
  // Centred in the frame's lower third.
  void DrawTextCenteredLowerThird(const char* text);
  void SetDefaultDrawTextProperties();
  const CoreGraphics::BitmapContext& GetBitmapContext() const { return mBitmap; }

 private:
  void DrawTextCenteredInRect(const char* text, CGRect rect);

  CoreGraphics::BitmapContext mBitmap;
};

}  // namespace UVideoFrameBuffer
