#include "QTCaptureOutput.h"

#include "QTCaptureInput.h"
#include "QTCaptureSession.h"

OBJC_CLASS_DEFINE_NO_FACTORY(QTCaptureOutput)

namespace {

// Hands the AVFoundation output's frames on to the QTKit output, while that lives.
class FrameForwarder : public NSObject, public AVCaptureVideoDataOutputSampleBufferDelegate {
 public:
  explicit FrameForwarder(QTCaptureOutput* output) : mOutput(output) {}
  void captureOutput_didOutputSampleBuffer_fromConnection(AVCaptureOutput*, CMSampleBufferRef sample,
                                                          AVCaptureConnection*) override {
    if (RefPtr<QTCaptureOutput> output = mOutput.get()) mDeliver(output.get(), sample);
  }
  std::function<void(QTCaptureOutput*, CMSampleBufferRef)> mDeliver;

 private:
  WeakPtr<QTCaptureOutput> mOutput;
};

}  // namespace

QTCaptureOutput* QTCaptureOutput::init() {
  NSObject::init();
  mCaptureOutput = adopt(static_cast<AVCaptureVideoDataOutput*>(AVCaptureVideoDataOutput::alloc()->init()));
  mQueue = dispatch_queue_create("QTCaptureOutput Queue", DISPATCH_QUEUE_SERIAL);
  auto* forwarder = new FrameForwarder(this);
  forwarder->mDeliver = [](QTCaptureOutput* output, CMSampleBufferRef sample) {
    RefPtr<QTCaptureConnection> connection;
    if (NSArray* connections = output->connections(); connections->count())
      connection =
          RefPtr<QTCaptureConnection>(static_cast<QTCaptureConnection*>(connections->objectAtIndex(0)));
    if (connection && !connection->isEnabled()) return;
    output->frameArrived(CMSampleBufferGetImageBuffer(sample),
                         QTSampleBuffer::sampleBufferWithSampleBuffer(sample), connection.get());
  };
  mForwarder = adopt(static_cast<NSObject*>(forwarder));
  mCaptureOutput->setSampleBufferDelegate_queue(forwarder, mQueue);
  return this;
}

void QTCaptureOutput::dealloc() {
  if (mCaptureOutput) mCaptureOutput->setSampleBufferDelegate_queue(nullptr, nullptr);
  if (mQueue) dispatch_release(mQueue);
  NSObject::dealloc();
}

NSArray* QTCaptureOutput::connections() const {
  RefPtr<QTCaptureSession> session;
  {
    std::lock_guard lock(mLock);
    session = mSession.get();
  }
  NSMutableArray* connections = NSMutableArray::array();
  if (session)
    for (NSObject* input : *session->inputs())
      connections->addObjectsFromArray(static_cast<QTCaptureInput*>(input)->connections());
  return connections;
}

void QTCaptureOutput::setSession(QTCaptureSession* session) {
  std::lock_guard lock(mLock);
  mSession = session;
}

void QTCaptureOutput::setVideoSettings(NSDictionary* attributes) {
  mCaptureOutput->setVideoSettings(attributes);
}
