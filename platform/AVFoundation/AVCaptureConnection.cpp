#include "AVCaptureConnection.h"

#include <objc/runtime.h>

#include "AVCaptureOutput.h"

OBJC_CLASS_DEFINE(AVCaptureConnection)

AVCaptureOutput* AVCaptureConnection::output() const {
  RefPtr<AVCaptureOutput> output = mOutput.get();
  return output ? static_cast<AVCaptureOutput*>(output.leak()->autorelease()) : nullptr;
}

AVCaptureConnection* AVCaptureConnection::connectionWithOutput(AVCaptureOutput* output) {
  auto* connection = static_cast<AVCaptureConnection*>(alloc()->init());
  connection->mOutput = output;
  return static_cast<AVCaptureConnection*>(connection->autorelease());
}
