#include "AVCaptureOutput.h"

#include "AVCaptureSession.h"
#include "AVMediaFormat.h"
#include "backend/OutputAccess.h"

OBJC_CLASS_DEFINE_NO_FACTORY(AVCaptureOutput)

NSArray* AVCaptureOutput::connections() const {
  AVCaptureConnection* connection = connectionWithMediaType(AVMediaTypeVideo);
  return connection ? NSArray::arrayWithObject(connection) : NSArray::array();
}

AVCaptureConnection* AVCaptureOutput::connectionWithMediaType(NSString* mediaType) const {
  if (!mediaType || !(mediaType->isEqual(AVMediaTypeVideo) || mediaType->isEqual(AVMediaTypeMuxed)))
    return nullptr;
  RefPtr<AVCaptureSession> session;
  RefPtr<AVCaptureConnection> connection;
  {
    std::lock_guard lock(mLock);
    session = mSession.get();
    connection = mConnection;
  }
  if (!session || !connection || !AVFoundationBackend::OutputAccess::videoDeviceOf(session.get()))
    return nullptr;
  return static_cast<AVCaptureConnection*>(connection.leak()->autorelease());
}

RefPtr<AVCaptureConnection> AVCaptureOutput::connection() const {
  std::lock_guard lock(mLock);
  return mConnection;
}

namespace AVFoundationBackend {

void OutputAccess::attach(AVCaptureOutput* output, AVCaptureSession* session) {
  std::lock_guard lock(output->mLock);
  output->mSession = session;
  output->mConnection = RefPtr<AVCaptureConnection>(AVCaptureConnection::connectionWithOutput(output));
}

void OutputAccess::detach(AVCaptureOutput* output) {
  std::lock_guard lock(output->mLock);
  output->mSession = nullptr;
  output->mConnection = nullptr;
}

void OutputAccess::startFlow(AVCaptureOutput* output, AVCaptureDevice* device, uint32_t width,
                             uint32_t height) {
  if (RefPtr<AVCaptureConnection> connection = output->connection()) connection->mActive = true;
  output->startFlow(device, width, height);
}

void OutputAccess::stopFlow(AVCaptureOutput* output) {
  output->stopFlow();
  if (RefPtr<AVCaptureConnection> connection = output->connection()) connection->mActive = false;
}

}  // namespace AVFoundationBackend
