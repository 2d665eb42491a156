#pragma once
// Failed checks of this library are reported with the function, source and line texts
// that readers of its log have always seen, whatever file the check now lives in.
#include <CoreMachDebug.h>

namespace CoreGraphics {

inline bool Verify(bool holds, const char* function, const char* file, SInt32 line, const char* code) {
  if (!holds) _CoreMachDebugVerifyBody(function, file, line, code);
  return holds;
}

constexpr const char* kBitmapContextSource = "/Code/sdk/CoreG/namespace_CoreGraphics_BitmapContext";
constexpr const char* kContextCenteredSource = "/Code/sdk/CoreG/namespace_CoreGraphics_ContextCentered";
constexpr const char* kMaskContextSource = "/Code/sdk/CoreG/namespace_CoreGraphics_MaskContext";
constexpr const char* kRoundRectPathSource = "/Code/sdk/CoreG/namespace_CoreGraphics_RoundRectPath";
constexpr const char* kImageDataSource = "/Code/sdk/CoreG/namespace_CoreGraphics_ImageData";
constexpr const char* kPathVerticesSource = "/Code/sdk/CoreG/namespace_CoreGeometry_PathVertices";
constexpr const char* kBezierVerticesSource = "/Code/sdk/CoreG/namespace_CoreGeometry_BezierVertices";

}  // namespace CoreGraphics
