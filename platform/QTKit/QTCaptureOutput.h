#pragma once
// Where a session delivers. Every QTKit output runs on an AVFoundation video data output of
// its own, which the session joins to its AVFoundation session; frames reach the QTKit output
// on a serial queue of its own ("QTCaptureOutput Queue").
#include <AVFoundation/AVCaptureVideoDataOutput.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSObject.h>
#include <objc/RefPtr.h>
#include <objc/WeakPtr.h>

#include <mutex>

#include <QTKit/QTCaptureConnection.h>
#include <QTKit/QTKitDefines.h>
#include <QTKit/QTSampleBuffer.h>

class QTCaptureSession;

class QTKIT_CLASS QTCaptureOutput : public NSObject {
  OBJC_CLASS_DECL(QTCaptureOutput, NSObject)

 public:
  QTCaptureOutput* init() override;
  // Autoreleased: the connections of the session's inputs while the output is in a session.
  NSArray* connections() const;
  // The AVFoundation output the frames arrive on.
  AVCaptureVideoDataOutput* captureOutput() const { return mCaptureOutput.get(); }

  // The session's side: which session the output is in, and that the session starts or stops.
  void setSession(QTCaptureSession* session);
  virtual void sessionDidStop() {}

 protected:
  QTCaptureOutput() = default;
  void dealloc() override;
  // On the output's queue: a frame of the session's picture connection (null when the session
  // has none any more).
  virtual void frameArrived(CVImageBufferRef frame, QTSampleBuffer* sample,
                            QTCaptureConnection* connection) = 0;
  // Sets the pixel buffer attributes as the AVFoundation output's video settings.
  void setVideoSettings(NSDictionary* attributes);
  dispatch_queue_t queue() const { return mQueue; }

 private:
  RefPtr<AVCaptureVideoDataOutput> mCaptureOutput;
  RefPtr<NSObject> mForwarder;
  dispatch_queue_t mQueue = nullptr;
  mutable std::mutex mLock;
  WeakPtr<QTCaptureSession> mSession;
};
