#pragma once
// A frame's pixels as a vImage buffer. A '2vuy' frame counts half its pixel width: four bytes
// hold a pair of pixels, which vImage sees as one.
#include <Accelerate/vImage.h>

#include "UVideoFrameBuffer_Data.h"

namespace UVideoFrameBuffer {

class ImageBuffer : public vImage_Buffer {
 public:
  explicit ImageBuffer(const Data& frame);
  // One row of the frame (rows from the top), `width` pixels wide.
  ImageBuffer(const Data& frame, int row, vImagePixelCount width);
};

}  // namespace UVideoFrameBuffer
