#include "QTCaptureMovieFileOutput.h"

#include <CoreMedia/CMSampleBuffer.h>
#include <Foundation/NSValue.h>

#include "QTError.h"
#include "backend/MovieWriter.h"

OBJC_CLASS_DEFINE(QTCaptureMovieFileOutput)

QTCaptureMovieFileOutput* QTCaptureMovieFileOutput::init() {
  QTCaptureOutput::init();
  mWriter = std::make_unique<QTKitBackend::MovieWriter>();
  captureOutput()->setAlwaysDiscardsLateVideoFrames(false);
  setVideoSettings(NSDictionary::dictionaryWithObject_forKey(
      NSNumber::numberWithUnsignedInt(kCVPixelFormatType_422YpCbCr8),
      toNSString(kCVPixelBufferPixelFormatTypeKey)));
  return this;
}

QTCaptureMovieFileOutput::~QTCaptureMovieFileOutput() = default;

NSURL* QTCaptureMovieFileOutput::outputFileURL() const {
  RefPtr<NSURL> url;
  {
    std::lock_guard lock(mLock);
    url = mURL;
  }
  return url ? static_cast<NSURL*>(url.leak()->autorelease()) : nullptr;
}

NSObject* QTCaptureMovieFileOutput::delegate() const {
  RefPtr<NSObject> delegate = mDelegate.get();
  return delegate ? delegate.leak()->autorelease() : nullptr;
}

QTCaptureFileOutputDelegate* QTCaptureMovieFileOutput::fileDelegate(RefPtr<NSObject>& held) const {
  held = mDelegate.get();
  return dynamic_cast<QTCaptureFileOutputDelegate*>(held.get());
}

void QTCaptureMovieFileOutput::recordToOutputFileURL(NSURL* url) {
  RefPtr<NSURL> next(url), previous;
  {
    std::lock_guard lock(mLock);
    if (mURL.get() == url) return;
    previous = mURL;
    mURL = next;
  }
  RefPtr<QTCaptureMovieFileOutput> self(this);
  dispatch_async(queue(), [self, previous, next] {
    if (previous) self->finish(previous.get(), nullptr);
    if (next) self->start(next.get());
  });
}

void QTCaptureMovieFileOutput::start(NSURL* url) {
  RefPtr<NSObject> held;
  QTCaptureFileOutputDelegate* delegate = fileDelegate(held);
  NSArray* connections = this->connections();
  if (delegate)
    delegate->captureOutput_willStartRecordingToOutputFileAtURL_forConnections(this, url, connections);
  NSString* path = url->path();
  if (!path || !mWriter->open(path->UTF8String(), 30.0)) {
    mWriting = RefPtr<NSURL>(url);
    finish(url, NSError::errorWithDomain_code_userInfo(QTKitErrorDomain, QTErrorMovieFileCouldNotBeWritten,
                                                       nullptr));
    return;
  }
  mWriting = RefPtr<NSURL>(url);
  if (delegate)
    delegate->captureOutput_didStartRecordingToOutputFileAtURL_forConnections(this, url, connections);
}

void QTCaptureMovieFileOutput::finish(NSURL* url, NSError* error) {
  if (!mWriting || mWriting.get() != url) return;
  RefPtr<NSObject> held;
  QTCaptureFileOutputDelegate* delegate = fileDelegate(held);
  NSArray* connections = this->connections();
  if (delegate)
    delegate->captureOutput_willFinishRecordingToOutputFileAtURL_forConnections_dueToError(
        this, url, connections, error);
  if (mWriter->isOpen() && !mWriter->finish() && !error)
    error =
        NSError::errorWithDomain_code_userInfo(QTKitErrorDomain, QTErrorMovieFileCouldNotBeWritten, nullptr);
  mWriting = nullptr;
  {
    std::lock_guard lock(mLock);
    if (mURL.get() == url) mURL = nullptr;
  }
  if (delegate)
    delegate->captureOutput_didFinishRecordingToOutputFileAtURL_forConnections_dueToError(this, url,
                                                                                          connections, error);
}

void QTCaptureMovieFileOutput::frameArrived(CVImageBufferRef frame, QTSampleBuffer*, QTCaptureConnection*) {
  if (!mWriting || !mWriter->isOpen() || mWriter->append(frame)) return;
  RefPtr<NSURL> url = mWriting;
  NSError* error =
      NSError::errorWithDomain_code_userInfo(QTKitErrorDomain, QTErrorMovieFileCouldNotBeWritten, nullptr);
  RefPtr<NSObject> held;
  if (QTCaptureFileOutputDelegate* delegate = fileDelegate(held))
    delegate->captureOutput_mustChangeOutputFileAtURL_forConnections_dueToError(this, url.get(),
                                                                                connections(), error);
  finish(url.get(), error);
}

void QTCaptureMovieFileOutput::sessionDidStop() { recordToOutputFileURL(nullptr); }
