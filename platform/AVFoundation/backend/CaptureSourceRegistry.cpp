#include "CaptureSourceRegistry.h"

#include <cstdlib>

#include "PlugInCamera.h"
#include "SyntheticCamera.h"
#include "V4L2Camera.h"

namespace AVFoundationBackend {

CaptureSourceRegistry& CaptureSourceRegistry::shared() {
  static CaptureSourceRegistry* registry = new CaptureSourceRegistry;
  return *registry;
}

CaptureSourceChange CaptureSourceRegistry::refresh() {
  std::lock_guard lock(mLock);
  auto existing = [this](const std::string& uid) -> std::shared_ptr<CaptureSource> {
    for (const auto& source : mSources)
      if (source->uniqueID() == uid) return source;
    return nullptr;
  };
  std::vector<std::shared_ptr<CaptureSource>> found;
  const char* configuration = std::getenv("MOXICAM_SYNTHETIC_CAMERAS");
  if (const std::string text = configuration ? configuration : ""; text != mSyntheticText) {
    mSyntheticText = text;
    mSyntheticCameras = parseSyntheticCameras(text);
  }
  for (const SyntheticCameraConfiguration& camera : mSyntheticCameras) {
    auto kept = std::dynamic_pointer_cast<SyntheticCamera>(existing(camera.uniqueID));
    found.push_back(kept && kept->configuration() == camera ? kept
                                                            : std::make_shared<SyntheticCamera>(camera));
  }
  for (auto& camera : V4L2Camera::probeAll()) {
    auto kept = existing(camera->uniqueID());
    found.push_back(kept && kept->isSameCameraAs(*camera) ? kept : camera);
  }
  for (auto& camera : PlugInCamera::publishedCameras()) {
    auto kept = existing(camera->uniqueID());
    found.push_back(kept && kept->isSameCameraAs(*camera) ? kept : camera);
  }
  // One camera per unique id: the first kind that has it.
  CaptureSourceChange change;
  for (const auto& source : found) {
    bool taken = false;
    for (const auto& other : change.current) taken = taken || other->uniqueID() == source->uniqueID();
    if (taken) continue;
    change.current.push_back(source);
    bool known = false;
    for (const auto& old : mSources) known = known || old == source;
    if (!known) change.added.push_back(source);
  }
  for (const auto& old : mSources) {
    bool kept = false;
    for (const auto& source : change.current) kept = kept || old == source;
    if (!kept) {
      old->disconnect();
      change.removed.push_back(old);
    }
  }
  mSources = change.current;
  return change;
}

}  // namespace AVFoundationBackend
