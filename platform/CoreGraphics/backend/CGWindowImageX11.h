#pragma once
// Reading one window's pixels from the X server (inner workings of window images).
#include <cairo.h>

#include <CoreGraphics/CGWindow.h>

#include "backend/CGDisplayConnection.h"

namespace CGWindowServer {

struct WindowPixels {
  cairo_surface_t* surface = nullptr;  // ARGB32, owned by the caller
  CGRect bounds{};                     // where the window lies on the screen
};

// Asks the server, once per process, to keep every top-level window's pixels off screen, so
// that covered windows can be read too. False when the server has no Composite extension.
bool keepWindowsOffScreen();

// The window's pixels, or a null surface when it is unknown or not viewable.
WindowPixels readWindowPixels(CGDisplayServer::Connection& connection, CGWindowID window);

}  // namespace CGWindowServer
