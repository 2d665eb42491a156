#pragma once
// Frames of pixels in memory: formats, views, and frame buffers over system objects.
#include "UVideoFrameBuffer_Base.h"
#include "UVideoFrameBuffer_CGImageBuffer.h"
#include "UVideoFrameBuffer_Data.h"
#include "UVideoFrameBuffer_Format.h"
#include "UVideoFrameBuffer_IOSurfaceBuffer.h"
#include "UVideoFrameBuffer_ImageBuffer.h"
#include "UVideoFrameBuffer_Memory.h"
