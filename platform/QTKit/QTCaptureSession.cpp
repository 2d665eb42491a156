#include "QTCaptureSession.h"

#include <Foundation/NSNotificationCenter.h>

#include "QTError.h"

OBJC_CLASS_DEFINE(QTCaptureSession)

QTCaptureSession* QTCaptureSession::init() {
  NSObject::init();
  mSession = adopt(static_cast<AVCaptureSession*>(AVCaptureSession::alloc()->init()));
  mInputs = RefPtr<NSMutableArray>(NSMutableArray::array());
  mOutputs = RefPtr<NSMutableArray>(NSMutableArray::array());
  WeakPtr<QTCaptureSession> weakSelf(this);
  mStopObserver =
      RefPtr<NSObject>(NSNotificationCenter::defaultCenter()->addObserverForName_object_queue_usingBlock(
          AVCaptureSessionDidStopRunningNotification, mSession.get(), nullptr, [weakSelf](NSNotification*) {
            if (RefPtr<QTCaptureSession> session = weakSelf.get()) session->sessionDidStop();
          }));
  return this;
}

void QTCaptureSession::dealloc() {
  NSNotificationCenter::defaultCenter()->removeObserver(mStopObserver.get());
  mSession->stopRunning();
  for (NSObject* output : *mOutputs) {
    mSession->removeOutput(static_cast<QTCaptureOutput*>(output)->captureOutput());
    static_cast<QTCaptureOutput*>(output)->setSession(nullptr);
  }
  NSObject::dealloc();
}

bool QTCaptureSession::addInput_error(QTCaptureInput* input, NSError** error) {
  auto* deviceInput = dynamic_cast<QTCaptureDeviceInput*>(input);
  if (!deviceInput || !deviceInput->device()->isOpen()) {
    if (error)
      *error = NSError::errorWithDomain_code_userInfo(QTKitErrorDomain, QTErrorDeviceNotConnected, nullptr);
    return false;
  }
  std::lock_guard lock(mLock);
  if (mInputs->containsObject(input)) return true;
  NSError* captureError = nullptr;
  AVCaptureDeviceInput* captureInput = AVCaptureDeviceInput::deviceInputWithDevice_error(
      deviceInput->device()->captureDevice(), &captureError);
  if (!captureInput || !mSession->canAddInput(captureInput)) {
    if (error)
      *error = captureError
                   ? captureError
                   : NSError::errorWithDomain_code_userInfo(QTKitErrorDomain, QTErrorUnknown, nullptr);
    return false;
  }
  mSession->addInput(captureInput);
  mInputs->addObject(input);
  mCaptureInputs.push_back(RefPtr<AVCaptureDeviceInput>(captureInput));
  return true;
}

void QTCaptureSession::removeInput(QTCaptureInput* input) {
  std::lock_guard lock(mLock);
  const NSUInteger index = mInputs->indexOfObjectIdenticalTo(input);
  if (index == NSNotFound) return;
  mSession->removeInput(mCaptureInputs[index].get());
  mCaptureInputs.erase(mCaptureInputs.begin() + long(index));
  mInputs->removeObjectAtIndex(index);
}

bool QTCaptureSession::addOutput_error(QTCaptureOutput* output, NSError** error) {
  std::lock_guard lock(mLock);
  if (!output || !mSession->canAddOutput(output->captureOutput())) {
    if (error) *error = NSError::errorWithDomain_code_userInfo(QTKitErrorDomain, QTErrorUnknown, nullptr);
    return false;
  }
  mSession->addOutput(output->captureOutput());
  mOutputs->addObject(output);
  output->setSession(this);
  return true;
}

void QTCaptureSession::removeOutput(QTCaptureOutput* output) {
  std::lock_guard lock(mLock);
  if (!output || !mOutputs->containsObject(output)) return;
  mSession->removeOutput(output->captureOutput());
  output->sessionDidStop();
  output->setSession(nullptr);
  mOutputs->removeObjectIdenticalTo(output);
}

NSArray* QTCaptureSession::inputs() const {
  std::lock_guard lock(mLock);
  return NSArray::arrayWithArray(mInputs.get());
}

NSArray* QTCaptureSession::outputs() const {
  std::lock_guard lock(mLock);
  return NSArray::arrayWithArray(mOutputs.get());
}

void QTCaptureSession::startRunning() {
  if (mSession->isRunning()) return;
  // The inputs' formats are set as the session starts its camera.
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  NSMutableArray* connections = NSMutableArray::array();
  for (NSObject* input : *inputs())
    connections->addObjectsFromArray(static_cast<QTCaptureInput*>(input)->connections());
  for (NSObject* connection : *connections)
    center->postNotificationName_object(QTCaptureConnectionFormatDescriptionWillChangeNotification,
                                        connection);
  mSession->startRunning();
  for (NSObject* connection : *connections)
    center->postNotificationName_object(QTCaptureConnectionFormatDescriptionDidChangeNotification,
                                        connection);
}

void QTCaptureSession::stopRunning() { mSession->stopRunning(); }

void QTCaptureSession::sessionDidStop() {
  for (NSObject* output : *outputs()) static_cast<QTCaptureOutput*>(output)->sessionDidStop();
}
