#pragma once
// An output for tests that answers as told and writes down what it heard. One test program
// includes it once: it defines the class.
#include <IOSurface/IOSurface.h>

#include <string>
#include <vector>

#include "IOSurfaceSharingServerOutput.h"

namespace {

// An output that answers as told and writes down what it heard.
class RecordingOutput : public IOSurfaceSharingServerOutput {
  OBJC_CLASS_DECL(RecordingOutput, IOSurfaceSharingServerOutput)

 public:
  static RecordingOutput* answering(bool answer) {
    auto* output = static_cast<RecordingOutput*>(alloc()->init()->autorelease());
    output->answer = answer;
    return output;
  }
  bool hasServerConnection() override { return heard("hasServerConnection"); }
  bool outputConnect() override { return heard("outputConnect"); }
  bool outputDisconnect() override { return heard("outputDisconnect"); }
  bool broadcastSurface_withSurfaceTime(IOSurfaceRef surface, uint64_t surfaceTime) override {
    surfaces.push_back(IOSurfaceGetID(surface));
    times.push_back(surfaceTime);
    return heard("broadcastSurface");
  }
  bool heard(const std::string& call) {
    calls.push_back(call);
    return answer;
  }

  bool answer = false;
  std::vector<std::string> calls;
  std::vector<uint32_t> surfaces;
  std::vector<uint64_t> times;
};
OBJC_CLASS_DEFINE(RecordingOutput)

}  // namespace
