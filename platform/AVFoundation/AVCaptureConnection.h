#pragma once
// The path from a session's input to one of its outputs: frames reach the output only while
// the connection is enabled.
#include <Foundation/NSObject.h>
#include <objc/WeakPtr.h>

#include <atomic>

#include <AVFoundation/AVFoundationDefines.h>

class AVCaptureOutput;

class AVF_CLASS AVCaptureConnection : public NSObject {
  OBJC_CLASS_DECL(AVCaptureConnection, NSObject)

 public:
  // Null once the output is gone.
  AVCaptureOutput* output() const;
  bool isEnabled() const { return mEnabled; }
  void setEnabled(bool enabled) { mEnabled = enabled; }
  // Whether frames flow through it now (its session runs with a camera).
  bool isActive() const { return mActive; }

  // Autoreleased: the connection of an output.
  static AVCaptureConnection* connectionWithOutput(AVCaptureOutput* output);

 protected:
  AVCaptureConnection() = default;

 private:
  friend struct AVFoundationBackend::OutputAccess;
  WeakPtr<AVCaptureOutput> mOutput;
  std::atomic<bool> mEnabled{true};
  std::atomic<bool> mActive{false};
};
