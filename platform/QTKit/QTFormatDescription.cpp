#include "QTFormatDescription.h"

#include <CoreVideo/CVPixelBuffer.h>

#include "QTMedia.h"

OBJC_CLASS_DEFINE(QTFormatDescription)

QTFormatDescription* QTFormatDescription::formatDescriptionWithDescription(
    CMFormatDescriptionRef description) {
  if (!description) return nullptr;
  auto* format = static_cast<QTFormatDescription*>(alloc()->init());
  format->mDescription = RefPtr<const opaqueCMFormatDescription>(description);
  return static_cast<QTFormatDescription*>(format->autorelease());
}

NSString* QTFormatDescription::mediaType() const { return QTMediaTypeVideo; }

NSString* QTFormatDescription::localizedFormatSummary() const {
  const CMVideoDimensions size = CMVideoFormatDescriptionGetDimensions(mDescription.get());
  const FourCharCode codec = CMFormatDescriptionGetMediaSubType(mDescription.get());
  const char* name = codec == kCVPixelFormatType_32BGRA       ? "32-bit BGRA"
                     : codec == kCVPixelFormatType_422YpCbCr8 ? "Component Y'CbCr 8-bit 4:2:2"
                                                              : nullptr;
  if (name) return NSString::stringWithFormat(NSSTR("%s, %d x %d"), name, size.width, size.height);
  const char code[5] = {char(codec >> 24), char(codec >> 16), char(codec >> 8), char(codec), 0};
  return NSString::stringWithFormat(NSSTR("'%s', %d x %d"), code, size.width, size.height);
}

bool QTFormatDescription::isEqual(const NSObject* other) const {
  auto* format = dynamic_cast<const QTFormatDescription*>(other);
  return format && CMFormatDescriptionEqual(format->mDescription.get(), mDescription.get());
}
