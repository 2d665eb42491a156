#pragma once
// Records the session's pictures into a QuickTime movie (uncompressed 4:2:2) at the URL given;
// a null URL ends the recording, as does the session stopping. The delegate hears of each
// step on the output's queue; a recording that cannot be written ends with an error.
#include <Foundation/NSURL.h>

#include <memory>

#include <QTKit/QTCaptureOutput.h>

namespace QTKitBackend {
class MovieWriter;
}

class QTKIT_CLASS QTCaptureFileOutputDelegate {
 public:
  virtual void captureOutput_willStartRecordingToOutputFileAtURL_forConnections(QTCaptureOutput*, NSURL*,
                                                                                NSArray*) {}
  virtual void captureOutput_didStartRecordingToOutputFileAtURL_forConnections(QTCaptureOutput*, NSURL*,
                                                                               NSArray*) {}
  virtual bool captureOutput_shouldChangeOutputFileAtURL_forConnections_dueToError(QTCaptureOutput*, NSURL*,
                                                                                   NSArray*, NSError*) {
    return true;
  }
  virtual void captureOutput_mustChangeOutputFileAtURL_forConnections_dueToError(QTCaptureOutput*, NSURL*,
                                                                                 NSArray*, NSError*) {}
  virtual void captureOutput_willFinishRecordingToOutputFileAtURL_forConnections_dueToError(QTCaptureOutput*,
                                                                                            NSURL*, NSArray*,
                                                                                            NSError*) {}
  virtual void captureOutput_didFinishRecordingToOutputFileAtURL_forConnections_dueToError(QTCaptureOutput*,
                                                                                           NSURL*, NSArray*,
                                                                                           NSError*) {}

 protected:
  virtual ~QTCaptureFileOutputDelegate() = default;
};

class QTKIT_CLASS QTCaptureMovieFileOutput : public QTCaptureOutput {
  OBJC_CLASS_DECL(QTCaptureMovieFileOutput, QTCaptureOutput)

 public:
  QTCaptureMovieFileOutput* init() override;
  // The file being recorded; null when not recording.
  NSURL* outputFileURL() const;
  void recordToOutputFileURL(NSURL* url);
  NSObject* delegate() const;
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }
  void sessionDidStop() override;

 protected:
  QTCaptureMovieFileOutput() = default;
  ~QTCaptureMovieFileOutput() override;
  void frameArrived(CVImageBufferRef frame, QTSampleBuffer* sample, QTCaptureConnection* connection) override;

 private:
  // On the queue: starting the file, and finishing it (with the error that ended it).
  void start(NSURL* url);
  void finish(NSURL* url, NSError* error);
  QTCaptureFileOutputDelegate* fileDelegate(RefPtr<NSObject>& held) const;

  mutable std::mutex mLock;
  RefPtr<NSURL> mURL;
  WeakPtr<NSObject> mDelegate;
  // Touched on the queue only.
  std::unique_ptr<QTKitBackend::MovieWriter> mWriter;
  RefPtr<NSURL> mWriting;
};
