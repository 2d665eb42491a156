#pragma once
// A capture session: joins inputs (cameras) to outputs and, while running, carries the
// frames of its first camera to every output in the size its preset asks. A camera that goes
// away while the session runs ends the run: the session posts
// AVCaptureSessionRuntimeErrorNotification (AVErrorDeviceWasDisconnected under
// AVCaptureSessionErrorKey) and then AVCaptureSessionDidStopRunningNotification.
#include <Foundation/NSArray.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/RefPtr.h>

#include <mutex>

#include <AVFoundation/AVCaptureInput.h>
#include <AVFoundation/AVCaptureOutput.h>
#include <AVFoundation/AVCaptureSessionPreset.h>
#include <AVFoundation/AVFoundationDefines.h>

AVF_EXPORT NSString* const AVCaptureSessionRuntimeErrorNotification;
AVF_EXPORT NSString* const AVCaptureSessionErrorKey;
AVF_EXPORT NSString* const AVCaptureSessionDidStartRunningNotification;
AVF_EXPORT NSString* const AVCaptureSessionDidStopRunningNotification;

class AVF_CLASS AVCaptureSession : public NSObject {
  OBJC_CLASS_DECL(AVCaptureSession, NSObject)

 public:
  AVCaptureSession* init() override;

  // "High" at first.
  NSString* sessionPreset() const;
  // Raises NSInvalidArgumentException for a preset the session cannot set.
  void setSessionPreset(NSString* preset);
  // A known preset that every camera of the session supports.
  bool canSetSessionPreset(NSString* preset) const;

  // Autoreleased copies.
  NSArray* inputs() const;
  NSArray* outputs() const;
  // A device input whose device stands and is not in the session already.
  bool canAddInput(AVCaptureInput* input) const;
  // Raises NSInvalidArgumentException for one that cannot be added.
  void addInput(AVCaptureInput* input);
  void removeInput(AVCaptureInput* input);
  bool canAddOutput(AVCaptureOutput* output) const;
  void addOutput(AVCaptureOutput* output);
  void removeOutput(AVCaptureOutput* output);

  // Changes between these two take effect together at the commit.
  void beginConfiguration();
  void commitConfiguration();

  void startRunning();
  void stopRunning();
  bool isRunning() const;

 protected:
  AVCaptureSession() = default;
  void dealloc() override;

 private:
  friend struct AVFoundationBackend::OutputAccess;
  // The device of the first input with pictures.
  RefPtr<AVCaptureDevice> videoDevice() const;
  // Feeds the outputs afresh when running outside a configuration.
  void rewire();
  void stopFlows();
  void deviceWasDisconnected(AVCaptureDevice* device);

  mutable std::recursive_mutex mLock;
  RefPtr<NSString> mPreset;
  RefPtr<NSMutableArray> mInputs;
  RefPtr<NSMutableArray> mOutputs;
  int mConfigurationDepth = 0;
  bool mRunning = false;
  RefPtr<NSObject> mDisconnectObserver;
};
