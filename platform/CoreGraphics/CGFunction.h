#pragma once
// Functions that shadings sample: m inputs to n outputs through a callback.
#include <CoreGraphics/CGBase.h>

typedef struct CGFunction* CGFunctionRef;
typedef void (*CGFunctionEvaluateCallback)(void* info, const CGFloat* in, CGFloat* out);
typedef void (*CGFunctionReleaseInfoCallback)(void* info);

struct CGFunctionCallbacks {
  unsigned int version;
  CGFunctionEvaluateCallback evaluate;
  CGFunctionReleaseInfoCallback releaseInfo;
};

CG_EXTERN CFTypeID CGFunctionGetTypeID(void);
// `domain` holds 2 × domainDimension values, `range` 2 × rangeDimension (outputs are clamped
// to it); both may be null. Null when the callbacks are missing.
CG_EXTERN CGFunctionRef CGFunctionCreate(void* info, size_t domainDimension, const CGFloat* domain,
                                         size_t rangeDimension, const CGFloat* range,
                                         const CGFunctionCallbacks* callbacks);
CG_EXTERN CGFunctionRef CGFunctionRetain(CGFunctionRef function);
CG_EXTERN void CGFunctionRelease(CGFunctionRef function);
