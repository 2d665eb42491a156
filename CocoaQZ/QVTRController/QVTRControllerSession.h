#pragma once
// What a capture controller's delegate hears: a failure of the session (a device that would
// not open, a recording that failed) and the file of a recording that ended well.
#include <Foundation/NSError.h>
#include <Foundation/NSURL.h>

class QVTRControllerSession {
 public:
  virtual void captureSessionError(NSError* error) = 0;
  virtual void captureSessionEnded(NSURL* fileURL) = 0;

 protected:
  ~QVTRControllerSession() = default;
};
