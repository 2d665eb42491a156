#pragma once
// Between Cocoa's screen coordinates (y up from the bottom-left corner of the primary screen)
// and the X server's (y down from the top-left corner of the root window). Without an X
// server the screen is a virtual one of kHeadlessScreenSize. Inner workings of AppKit.
#include <vector>

#include <CoreGraphics/CGGeometry.h>

namespace AppKitBackend {

inline constexpr CGSize kHeadlessScreenSize{1280, 1024};

// The screens in X coordinates, the primary first.
std::vector<CGRect> screensInServerSpace();

CGPoint cocoaPointFromServer(CGFloat x, CGFloat y);
// A rectangle of the server (top-left origin) as a Cocoa rectangle (bottom-left origin).
CGRect cocoaRectFromServer(CGRect rect);
CGRect serverRectFromCocoa(CGRect rect);

}  // namespace AppKitBackend
