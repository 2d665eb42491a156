#pragma once
// Compositing operations, and filling and erasing rectangles of the current graphics context.
#include <AppKit/AppKitDefines.h>
#include <AppKit/NSGeometry.h>

typedef NSUInteger NSCompositingOperation;
enum : NSUInteger {
  NSCompositeClear = 0,
  NSCompositeCopy = 1,
  NSCompositeSourceOver = 2,
  NSCompositeSourceIn = 3,
  NSCompositeSourceOut = 4,
  NSCompositeSourceAtop = 5,
  NSCompositeDestinationOver = 6,
  NSCompositeDestinationIn = 7,
  NSCompositeDestinationOut = 8,
  NSCompositeDestinationAtop = 9,
  NSCompositeXOR = 10,
  NSCompositePlusDarker = 11,
  NSCompositePlusLighter = 13,
  NSCompositingOperationClear = NSCompositeClear,
  NSCompositingOperationCopy = NSCompositeCopy,
  NSCompositingOperationSourceOver = NSCompositeSourceOver,
  NSCompositingOperationSourceIn = NSCompositeSourceIn,
};

typedef NSUInteger NSFocusRingType;
enum : NSUInteger { NSFocusRingTypeDefault = 0, NSFocusRingTypeNone = 1, NSFocusRingTypeExterior = 2 };

// Fills the rectangle with the current fill colour, replacing what was there (alpha too).
APPKIT_EXPORT void NSRectFill(NSRect rect);
// Fills the rectangle with the current fill colour by the operation.
APPKIT_EXPORT void NSRectFillUsingOperation(NSRect rect, NSCompositingOperation operation);
// Fills the rectangle with opaque white.
APPKIT_EXPORT void NSEraseRect(NSRect rect);
