#pragma once
// The format of a connection's media: its media type, its pictures' pixel format and size,
// and a summary for people ("Component Y'CbCr 8-bit 4:2:2, 1280 x 720").
#include <CoreMedia/CMFormatDescription.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/RefPtr.h>

#include <QTKit/QTKitDefines.h>

class QTKIT_CLASS QTFormatDescription : public NSObject {
  OBJC_CLASS_DECL(QTFormatDescription, NSObject)

 public:
  // Autoreleased; null without a description.
  static QTFormatDescription* formatDescriptionWithDescription(CMFormatDescriptionRef description);

  NSString* mediaType() const;
  NSString* localizedFormatSummary() const;
  CMFormatDescriptionRef formatDescription() const { return mDescription.get(); }
  bool isEqual(const NSObject* other) const override;

 protected:
  QTFormatDescription() = default;

 private:
  RefPtr<const opaqueCMFormatDescription> mDescription;
};
