#pragma once
#include <CoreGraphics/CGGeometry.h>
#include <CoreVideo/CVBuffer.h>

typedef CVBufferRef CVImageBufferRef;

// The size of the image in pixels.
CF_EXPORT CGSize CVImageBufferGetEncodedSize(CVImageBufferRef imageBuffer);
CF_EXPORT CGSize CVImageBufferGetDisplaySize(CVImageBufferRef imageBuffer);
CF_EXPORT CGRect CVImageBufferGetCleanRect(CVImageBufferRef imageBuffer);
CF_EXPORT Boolean CVImageBufferIsFlipped(CVImageBufferRef imageBuffer);
