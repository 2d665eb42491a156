#pragma once
// Every camera of the process in one list: the synthetic cameras that the environment
// configures, the kernel's capture devices and the cameras of the DAL plug-ins. A refresh
// reads them all again and tells which came and which went; a camera that stays keeps its
// object (and its reader).
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CaptureSource.h"
#include "SyntheticCamera.h"

namespace AVFoundationBackend {

struct CaptureSourceChange {
  std::vector<std::shared_ptr<CaptureSource>> current;
  std::vector<std::shared_ptr<CaptureSource>> added;
  std::vector<std::shared_ptr<CaptureSource>> removed;
};

class CaptureSourceRegistry {
 public:
  static CaptureSourceRegistry& shared();

  // Reads the cameras again; those that went are disconnected before this returns.
  CaptureSourceChange refresh();

 private:
  CaptureSourceRegistry() = default;
  std::mutex mLock;
  std::vector<std::shared_ptr<CaptureSource>> mSources;
  // The synthetic cameras' configuration as last read, so that a camera left out is told once.
  std::string mSyntheticText;
  std::vector<SyntheticCameraConfiguration> mSyntheticCameras;
};

}  // namespace AVFoundationBackend
