#include "Compositing.h"

namespace AppKitBackend {

CGBlendMode blendModeOf(NSCompositingOperation operation) {
  switch (operation) {
    case NSCompositeClear:
      return kCGBlendModeClear;
    case NSCompositeCopy:
      return kCGBlendModeCopy;
    case NSCompositeSourceIn:
      return kCGBlendModeSourceIn;
    case NSCompositeSourceOut:
      return kCGBlendModeSourceOut;
    case NSCompositeSourceAtop:
      return kCGBlendModeSourceAtop;
    case NSCompositeDestinationOver:
      return kCGBlendModeDestinationOver;
    case NSCompositeDestinationIn:
      return kCGBlendModeDestinationIn;
    case NSCompositeDestinationOut:
      return kCGBlendModeDestinationOut;
    case NSCompositeDestinationAtop:
      return kCGBlendModeDestinationAtop;
    case NSCompositeXOR:
      return kCGBlendModeXOR;
    case NSCompositePlusDarker:
      return kCGBlendModePlusDarker;
    case NSCompositePlusLighter:
      return kCGBlendModePlusLighter;
    default:
      return kCGBlendModeNormal;
  }
}

}  // namespace AppKitBackend
