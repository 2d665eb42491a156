#pragma once
// One stream of media of a session's input: its type, its current format and its owner (the
// input it belongs to).
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/WeakPtr.h>

#include <atomic>

#include <QTKit/QTFormatDescription.h>
#include <QTKit/QTKitDefines.h>

QTKIT_EXPORT NSString* const QTCaptureConnectionFormatDescriptionWillChangeNotification;
QTKIT_EXPORT NSString* const QTCaptureConnectionFormatDescriptionDidChangeNotification;

class QTKIT_CLASS QTCaptureConnection : public NSObject {
  OBJC_CLASS_DECL(QTCaptureConnection, NSObject)

 public:
  // Autoreleased.
  static QTCaptureConnection* connectionWithOwner_mediaType(NSObject* owner, NSString* mediaType);

  // Null once the owner is gone.
  NSObject* owner() const;
  NSString* mediaType() const { return mMediaType.get(); }
  // The format the owner delivers now; null before it delivers.
  QTFormatDescription* formatDescription() const;
  bool isEnabled() const { return mEnabled; }
  void setEnabled(bool enabled) { mEnabled = enabled; }

 protected:
  QTCaptureConnection() = default;

 private:
  WeakPtr<NSObject> mOwner;
  RefPtr<NSString> mMediaType;
  std::atomic<bool> mEnabled{true};
};
