#pragma once
// A capture controller over QTKit: one session with one selected video device, the device
// list kept current for bindings, the media format of the selection, recordings into numbered
// movie files in the temporary folder ("Moxicam_000.mov", ...) and the tape transport of
// devices that have transport controls. Key-value observable; device-list changes and their
// notifications happen on the main thread.
#include <Foundation/NSArray.h>
#include <Foundation/NSNotification.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <QTKit/QTKit.h>
#include <objc/RefPtr.h>
#include <objc/WeakPtr.h>

#include <mutex>
#include <vector>

#include "QVTRControllerSession.h"

class QVTRControllerVideo : public NSObject, public QTCaptureFileOutputDelegate {
  OBJC_CLASS_DECL(QVTRControllerVideo, NSObject)

 public:
  // The delegate (an object answering QVTRControllerSession), not retained.
  RefPtr<NSObject> delegate() const { return mDelegate.get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }

  RefPtr<QTCaptureSession> session() const { return locked(mSession); }
  RefPtr<QTCaptureDeviceInput> videoDeviceInput() const { return locked(mVideoDeviceInput); }
  RefPtr<QTCaptureMovieFileOutput> movieFileOutput() const { return locked(mMovieFileOutput); }
  RefPtr<NSArray> videoInputDevices() const { return locked(mVideoInputDevices); }
  RefPtr<QTCaptureOutput> videoCaptureOutput() const { return locked(mVideoCaptureOutput); }

  // A new session with its connections, the first device selected, running; the device,
  // format, attribute and connection notifications observed (once, however often it begins).
  virtual void captureSessionBegin(NSObject* sender);
  virtual void captureSessionAttachPreviewConnections() {}
  // The movie output (this controller its delegate), added to the session.
  virtual void captureSessionAttachOutputConnections();
  void captureSessionSelectDefaultDevices();
  // The selection cleared and the session stopped.
  virtual void captureSessionEnd(NSObject* sender);

  void devicesDidChange(NSNotification* notification);
  // Video devices, then muxed ones, by display name.
  static NSArray* availableVideoInputDevicesNotIncludingNoCamera();
  void refreshAudioVideoInputDevices();
  NSArray* videoDevices();
  // "None", then the display name of each device.
  NSArray* videoDevicesLocalizedNames();

  QTCaptureDevice* selectedVideoDevice() const;
  void setSelectedVideoDevice(QTCaptureDevice* device);
  NSString* selectedVideoDeviceLocalizedName() const;
  void setSelectedVideoDeviceLocalizedName(NSString* name);
  bool selectedVideoDeviceProvidesAudio() const;
  // No sound path: always none.
  QTCaptureDevice* selectedAudioDevice() const { return nullptr; }
  void setSelectedAudioDevice(QTCaptureDevice*) {}

  virtual void closeVideoDeviceInput();
  bool hasRecordingDevice() const { return videoDeviceInput() != nullptr; }
  bool isRecording() const;
  void setRecording(bool recording);

  NSString* mediaFormatSummary() const;
  bool getVideoMediaFormatSummary(NSMutableString* summary) const;
  bool getAudioMediaFormatSummary(NSMutableString*) const { return false; }
  void connectionFormatWillChange(NSNotification* notification);
  void connectionFormatDidChange(NSNotification* notification);

  // The selected device when its transport can be set; null otherwise.
  QTCaptureDevice* controllableDevice() const;
  bool isDevicePlaying() const;
  void setDevicePlaying(bool playing);
  void stopDevice(NSObject* sender);
  bool isDeviceRewinding() const;
  void setDeviceRewinding(bool rewinding);
  bool isDeviceFastforwarding() const;
  void setDeviceFastforwarding(bool fastforwarding);
  void deviceAttributeWillChange(NSNotification* notification);
  void deviceAttributeDidChange(NSNotification* notification);

  // The movie output's delegate.
  void captureOutput_willStartRecordingToOutputFileAtURL_forConnections(QTCaptureOutput*, NSURL* url,
                                                                        NSArray*) override;
  void captureOutput_didStartRecordingToOutputFileAtURL_forConnections(QTCaptureOutput*, NSURL* url,
                                                                       NSArray*) override;
  bool captureOutput_shouldChangeOutputFileAtURL_forConnections_dueToError(QTCaptureOutput*, NSURL*, NSArray*,
                                                                           NSError* error) override;
  void captureOutput_mustChangeOutputFileAtURL_forConnections_dueToError(QTCaptureOutput*, NSURL*, NSArray*,
                                                                         NSError* error) override;
  void captureOutput_willFinishRecordingToOutputFileAtURL_forConnections_dueToError(QTCaptureOutput*,
                                                                                    NSURL* url, NSArray*,
                                                                                    NSError* error) override;
  void captureOutput_didFinishRecordingToOutputFileAtURL_forConnections_dueToError(QTCaptureOutput*,
                                                                                   NSURL* url, NSArray*,
                                                                                   NSError* error) override;
  void willFinishRecording();

 protected:
  QVTRControllerVideo() = default;
  void dealloc() override;
  template <class T>
  RefPtr<T> locked(const RefPtr<T>& property) const {
    std::lock_guard lock(mPropertiesLock);
    return property;
  }
  template <class T>
  void setLocked(RefPtr<T>& property, T* value) {
    RefPtr<T> held(value);
    std::lock_guard lock(mPropertiesLock);
    property = held;
  }
  void setVideoCaptureOutput(QTCaptureOutput* output) { setLocked(mVideoCaptureOutput, output); }
  void sendCaptureSessionError(NSError* error);

 private:
  void setTransport(long speed, unsigned long mode);
  long transportSpeed() const;
  unsigned long transportMode() const;
  void stopObserving();

  WeakPtr<NSObject> mDelegate;
  mutable std::mutex mPropertiesLock;
  RefPtr<QTCaptureSession> mSession;
  RefPtr<QTCaptureDeviceInput> mVideoDeviceInput;
  RefPtr<QTCaptureMovieFileOutput> mMovieFileOutput;
  RefPtr<NSArray> mVideoInputDevices;
  RefPtr<QTCaptureOutput> mVideoCaptureOutput;
  std::vector<RefPtr<NSObject>> mObservers;
};
