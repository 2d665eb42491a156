#pragma once
// Where a session delivers: each output has one connection, standing while its session has an
// input for it.
#include <Foundation/NSArray.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/RefPtr.h>
#include <objc/WeakPtr.h>

#include <cstdint>
#include <memory>
#include <mutex>

#include <AVFoundation/AVCaptureConnection.h>
#include <AVFoundation/AVCaptureDevice.h>
#include <AVFoundation/AVFoundationDefines.h>

class AVCaptureSession;

class AVF_CLASS AVCaptureOutput : public NSObject {
  OBJC_CLASS_DECL(AVCaptureOutput, NSObject)

 public:
  // Autoreleased: the connection while the output's session has an input (an empty array,
  // or null, otherwise).
  NSArray* connections() const;
  AVCaptureConnection* connectionWithMediaType(NSString* mediaType) const;

 protected:
  AVCaptureOutput() = default;
  // The session starts and stops the frames of a camera to the output; frames are made in
  // the size given (the output's own settings may ask for another).
  virtual void startFlow(AVCaptureDevice* device, uint32_t width, uint32_t height) = 0;
  virtual void stopFlow() = 0;
  RefPtr<AVCaptureConnection> connection() const;

 private:
  friend struct AVFoundationBackend::OutputAccess;
  mutable std::mutex mLock;
  WeakPtr<AVCaptureSession> mSession;
  RefPtr<AVCaptureConnection> mConnection;
};
