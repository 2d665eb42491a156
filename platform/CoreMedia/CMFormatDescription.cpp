#include <CoreFoundation/CFString.h>
#include <CoreMedia/CMFormatDescription.h>
#include <CoreVideo/CVPixelBuffer.h>
#include <objc/NSObject.h>

#include <cstdio>

struct opaqueCMFormatDescription : NSObject {
  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CMFormatDescription");
    return id;
  }
  unsigned long cfTypeID() const override { return typeID(); }

  opaqueCMFormatDescription(CMMediaType mediaType, FourCharCode subType, CMVideoDimensions dimensions,
                            CFDictionaryRef extensions)
      : mMediaType(mediaType),
        mSubType(subType),
        mDimensions(dimensions),
        mExtensions(extensions && CFDictionaryGetCount(extensions)
                        ? CFDictionaryCreateCopy(nullptr, extensions)
                        : nullptr) {}
  ~opaqueCMFormatDescription() override {
    if (mExtensions) CFRelease(mExtensions);
  }

  bool isEqual(const NSObject* other) const override {
    if (!other || other->cfTypeID() != typeID()) return false;
    const auto* that = static_cast<const opaqueCMFormatDescription*>(other);
    const bool sameExtensions = mExtensions == that->mExtensions ||
                                (mExtensions && that->mExtensions && CFEqual(mExtensions, that->mExtensions));
    return mMediaType == that->mMediaType && mSubType == that->mSubType &&
           mDimensions.width == that->mDimensions.width && mDimensions.height == that->mDimensions.height &&
           sameExtensions;
  }
  unsigned long hash() const override {
    return mSubType ^ (uint32_t(mDimensions.width) << 16) ^ uint32_t(mDimensions.height);
  }

  const __CFString* copyDescription() const override {
    auto code = [](FourCharCode c, char(&text)[5]) {
      for (int i = 0; i < 4; ++i) text[i] = char(c >> (24 - 8 * i));
      text[4] = 0;
      return text;
    };
    char media[5], sub[5];
    return CFStringCreateWithFormat(
        nullptr, nullptr, CFSTR("<CMFormatDescription %p [mediaType:'%s' mediaSubType:'%s' %d x %d]>"),
        static_cast<const void*>(this), code(mMediaType, media), code(mSubType, sub), mDimensions.width,
        mDimensions.height);
  }

  const CMMediaType mMediaType;
  const FourCharCode mSubType;
  const CMVideoDimensions mDimensions;
  const CFDictionaryRef mExtensions;
};

namespace {

const opaqueCMFormatDescription* descriptionOf(CMFormatDescriptionRef desc, const char* function) {
  auto* object = reinterpret_cast<const NSObject*>(desc);
  if (!object || object->cfTypeID() != opaqueCMFormatDescription::typeID()) {
    std::fprintf(stderr, "%s: %p is not a CMFormatDescription\n", function, static_cast<const void*>(desc));
    return nullptr;
  }
  return static_cast<const opaqueCMFormatDescription*>(object);
}

}  // namespace

CFTypeID CMFormatDescriptionGetTypeID(void) { return opaqueCMFormatDescription::typeID(); }

CMMediaType CMFormatDescriptionGetMediaType(CMFormatDescriptionRef desc) {
  const opaqueCMFormatDescription* object = descriptionOf(desc, __func__);
  return object ? object->mMediaType : 0;
}

FourCharCode CMFormatDescriptionGetMediaSubType(CMFormatDescriptionRef desc) {
  const opaqueCMFormatDescription* object = descriptionOf(desc, __func__);
  return object ? object->mSubType : 0;
}

CFDictionaryRef CMFormatDescriptionGetExtensions(CMFormatDescriptionRef desc) {
  const opaqueCMFormatDescription* object = descriptionOf(desc, __func__);
  return object ? object->mExtensions : nullptr;
}

CFPropertyListRef CMFormatDescriptionGetExtension(CMFormatDescriptionRef desc, CFStringRef extensionKey) {
  const opaqueCMFormatDescription* object = descriptionOf(desc, __func__);
  return object && object->mExtensions && extensionKey
             ? CFDictionaryGetValue(object->mExtensions, extensionKey)
             : nullptr;
}

Boolean CMFormatDescriptionEqual(CMFormatDescriptionRef desc1, CMFormatDescriptionRef desc2) {
  if (desc1 == desc2) return true;
  return desc1 && desc2 && CFEqual(desc1, desc2);
}

OSStatus CMVideoFormatDescriptionCreate(CFAllocatorRef, CMVideoCodecType codecType, int32_t width,
                                        int32_t height, CFDictionaryRef extensions,
                                        CMVideoFormatDescriptionRef* formatDescriptionOut) {
  if (!formatDescriptionOut) return kCMFormatDescriptionError_InvalidParameter;
  *formatDescriptionOut = nullptr;
  if (width < 0 || height < 0) return kCMFormatDescriptionError_InvalidParameter;
  if (extensions && CFGetTypeID(extensions) != CFDictionaryGetTypeID())
    return kCMFormatDescriptionError_InvalidParameter;
  *formatDescriptionOut =
      new opaqueCMFormatDescription(kCMMediaType_Video, codecType, {width, height}, extensions);
  return noErr;
}

OSStatus CMVideoFormatDescriptionCreateForImageBuffer(CFAllocatorRef allocator, CVImageBufferRef imageBuffer,
                                                      CMVideoFormatDescriptionRef* formatDescriptionOut) {
  if (!formatDescriptionOut) return kCMFormatDescriptionError_InvalidParameter;
  *formatDescriptionOut = nullptr;
  if (!imageBuffer || CFGetTypeID(imageBuffer) != CVPixelBufferGetTypeID())
    return kCMFormatDescriptionError_InvalidParameter;
  const size_t width = CVPixelBufferGetWidth(imageBuffer);
  const size_t height = CVPixelBufferGetHeight(imageBuffer);
  return CMVideoFormatDescriptionCreate(allocator, CVPixelBufferGetPixelFormatType(imageBuffer),
                                        static_cast<int32_t>(width), static_cast<int32_t>(height), nullptr,
                                        formatDescriptionOut);
}

CMVideoDimensions CMVideoFormatDescriptionGetDimensions(CMVideoFormatDescriptionRef videoDesc) {
  const opaqueCMFormatDescription* object = descriptionOf(videoDesc, __func__);
  return object ? object->mDimensions : CMVideoDimensions{0, 0};
}

Boolean CMVideoFormatDescriptionMatchesImageBuffer(CMVideoFormatDescriptionRef desc,
                                                   CVImageBufferRef imageBuffer) {
  const opaqueCMFormatDescription* object = descriptionOf(desc, __func__);
  if (!object || !imageBuffer || CFGetTypeID(imageBuffer) != CVPixelBufferGetTypeID()) return false;
  return object->mMediaType == kCMMediaType_Video &&
         object->mSubType == CVPixelBufferGetPixelFormatType(imageBuffer) &&
         size_t(object->mDimensions.width) == CVPixelBufferGetWidth(imageBuffer) &&
         size_t(object->mDimensions.height) == CVPixelBufferGetHeight(imageBuffer);
}
