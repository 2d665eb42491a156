#pragma once
// 2-D drawing. Painting is done by Cairo (libcairo2) and PDF pages are read and drawn by
// Poppler-GLib; see CGContextObject.h for how CoreGraphics pixel layouts meet Cairo.
#include <CoreGraphics/CGAffineTransform.h>
#include <CoreGraphics/CGBase.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGColor.h>
#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGContextText.h>
#include <CoreGraphics/CGDataProvider.h>
#include <CoreGraphics/CGFunction.h>
#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGImage.h>
#include <CoreGraphics/CGOpenGLDisplayMask.h>
#include <CoreGraphics/CGPDFDocument.h>
#include <CoreGraphics/CGPDFPage.h>
#include <CoreGraphics/CGPath.h>
#include <CoreGraphics/CGShading.h>
