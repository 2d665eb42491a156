#pragma once
// Data providers: a read-only run of bytes that images draw from.
#include <CoreFoundation/CFData.h>
#include <CoreGraphics/CGBase.h>

typedef struct CGDataProvider* CGDataProviderRef;
typedef void (*CGDataProviderReleaseDataCallback)(void* info, const void* data, size_t size);

CG_EXTERN CFTypeID CGDataProviderGetTypeID(void);
// The bytes are borrowed; `releaseData` (if any) is called when the provider goes.
CG_EXTERN CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                                         CGDataProviderReleaseDataCallback releaseData);
CG_EXTERN CGDataProviderRef CGDataProviderCreateWithCFData(CFDataRef data);
CG_EXTERN CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider);
CG_EXTERN void CGDataProviderRelease(CGDataProviderRef provider);
// A new copy of the provider's bytes.
CG_EXTERN CFDataRef CGDataProviderCopyData(CGDataProviderRef provider);
