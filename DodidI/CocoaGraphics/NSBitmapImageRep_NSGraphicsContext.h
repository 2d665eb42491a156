#pragma once
// Bitmaps of an exact pixel size rendered from images (the category category_NSGraphicsContext
// on NSBitmapImageRep): 8-bit RGBA (alpha last, premultiplied, device RGB), the image
// stretched over the whole bitmap on a background colour.
#include <AppKit/NSBitmapImageRep.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSImage.h>

int import_NSBitmapImageRep_NSGraphicsContext();

namespace category_NSGraphicsContext {

// The image's pixels read back from its TIFF representation (autoreleased); null for none.
NSBitmapImageRep* bitmapImageRepFromImageTIFFData(NSImage* image);
// On black.
NSBitmapImageRep* bitmapImageRepWithImage_withSizePixels(NSImage* image, CGSize sizePixels);
// A new bitmap (autoreleased) of the size, sides truncated to whole pixels. Without an image it
// is filled with the colour (black for none); with one it is erased, filled with the colour
// when there is one, and the whole image drawn over it, stretched, source-over. Null when no
// bitmap of the size can be made. An exception while drawing is logged, and what was made so
// far answered, with the caller's graphics context current again.
NSBitmapImageRep* bitmapImageRepWithImage_withSizePixels_backgroundColor(NSImage* image, CGSize sizePixels,
                                                                         NSColor* backgroundColor);
// The same for a bitmap as the picture; null (reported) when no image can hold it.
NSBitmapImageRep* bitmapImageRepWithBitmap_withSizePixels_backgroundColor(NSBitmapImageRep* bitmap,
                                                                          CGSize sizePixels,
                                                                          NSColor* backgroundColor);

}  // namespace category_NSGraphicsContext
