#pragma once
// What a session reads from: a device input is one opened capture device, with one
// connection for its pictures.
#include <Foundation/NSArray.h>
#include <Foundation/NSObject.h>
#include <objc/RefPtr.h>

#include <QTKit/QTCaptureConnection.h>
#include <QTKit/QTCaptureDevice.h>
#include <QTKit/QTKitDefines.h>

class QTKIT_CLASS QTCaptureInput : public NSObject {
  OBJC_CLASS_DECL(QTCaptureInput, NSObject)

 public:
  // Autoreleased.
  virtual NSArray* connections() const = 0;

 protected:
  QTCaptureInput() = default;
};

class QTKIT_CLASS QTCaptureDeviceInput : public QTCaptureInput {
  OBJC_CLASS_DECL(QTCaptureDeviceInput, QTCaptureInput)

 public:
  // Autoreleased; null for no device.
  static QTCaptureDeviceInput* deviceInputWithDevice(QTCaptureDevice* device);
  QTCaptureDeviceInput* initWithDevice(QTCaptureDevice* device);

  QTCaptureDevice* device() const { return mDevice.get(); }
  NSArray* connections() const override;

 protected:
  QTCaptureDeviceInput() = default;

 private:
  RefPtr<QTCaptureDevice> mDevice;
  RefPtr<QTCaptureConnection> mConnection;
};
