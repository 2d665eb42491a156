#pragma once
// The objects behind CVBufferRef and CVImageBufferRef. Other kinds of image buffer (textures
// made from pixel buffers) derive from __CVImageBuffer and answer their size.
#include <CoreGraphics/CGGeometry.h>
#include <CoreVideo/CVBuffer.h>
#include <objc/NSObject.h>

#include "backend/CVAttachmentTable.h"

struct __CVBuffer : NSObject {
  CoreVideo::AttachmentTable attachments;
};

struct __CVImageBuffer : __CVBuffer {
  virtual CGSize encodedSize() const = 0;
  virtual bool isFlipped() const { return false; }
};
