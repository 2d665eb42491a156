#pragma once
// A capture session of QTKit over a session of AVFoundation at its highest quality: opened
// devices as inputs, QTKit outputs (each on its AVFoundation output). A session that stops,
// also because its camera went away, ends the recordings of its outputs.
#include <AVFoundation/AVCaptureSession.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSError.h>
#include <Foundation/NSObject.h>
#include <objc/RefPtr.h>

#include <mutex>
#include <vector>

#include <QTKit/QTCaptureInput.h>
#include <QTKit/QTCaptureOutput.h>
#include <QTKit/QTKitDefines.h>

class QTKIT_CLASS QTCaptureSession : public NSObject {
  OBJC_CLASS_DECL(QTCaptureSession, NSObject)

 public:
  QTCaptureSession* init() override;

  // NO with an error for an input whose device is not open or cannot be read.
  bool addInput_error(QTCaptureInput* input, NSError** error);
  void removeInput(QTCaptureInput* input);
  // NO with an error for an output that is in a session already.
  bool addOutput_error(QTCaptureOutput* output, NSError** error);
  void removeOutput(QTCaptureOutput* output);
  // Autoreleased copies.
  NSArray* inputs() const;
  NSArray* outputs() const;

  void startRunning();
  void stopRunning();
  bool isRunning() const { return mSession->isRunning(); }

  AVCaptureSession* captureSession() const { return mSession.get(); }

 protected:
  QTCaptureSession() = default;
  void dealloc() override;

 private:
  void sessionDidStop();

  mutable std::recursive_mutex mLock;
  RefPtr<AVCaptureSession> mSession;
  RefPtr<NSMutableArray> mInputs;
  // The AVFoundation input of each input, in the same order.
  std::vector<RefPtr<AVCaptureDeviceInput>> mCaptureInputs;
  RefPtr<NSMutableArray> mOutputs;
  RefPtr<NSObject> mStopObserver;
};
