#pragma once
// One captured frame as QTKit hands it out with the frame's image buffer: its format and
// presentation time.
#include <CoreMedia/CMSampleBuffer.h>
#include <Foundation/NSObject.h>
#include <objc/RefPtr.h>

#include <QTKit/QTFormatDescription.h>
#include <QTKit/QTKitDefines.h>

class QTKIT_CLASS QTSampleBuffer : public NSObject {
  OBJC_CLASS_DECL(QTSampleBuffer, NSObject)

 public:
  // Autoreleased.
  static QTSampleBuffer* sampleBufferWithSampleBuffer(CMSampleBufferRef sample);

  QTFormatDescription* formatDescription() const;
  CMTime presentationTime() const;
  CMSampleBufferRef sampleBuffer() const { return mSample.get(); }

 protected:
  QTSampleBuffer() = default;

 private:
  RefPtr<opaqueCMSampleBuffer> mSample;
};
