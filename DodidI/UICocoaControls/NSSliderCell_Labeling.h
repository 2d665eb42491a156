#pragma once
// Geometry, offscreen images and text of sliders that draw themselves as one picture (the
// category Labeling on NSSliderCell).
#include <AppKit/NSColor.h>
#include <AppKit/NSImage.h>
#include <AppKit/NSScreen.h>
#include <AppKit/NSSliderCell.h>

int import_NSSliderCell_Labeling();

namespace NSSliderCell_Labeling {

// Taller than wide.
bool isVertical(NSRect rect);
// Wider than tall (a square is neither).
bool isHorizontal(NSRect rect);
// The rectangle with width and height exchanged when it is taller than wide; same origin.
NSRect alwaysHorizontalFrame(NSRect rect);
// Where the knob of the cell's value lies in a frame: a square of the frame's width moving up
// a vertical one, a square of its height moving along a horizontal one (one height below it),
// the frame itself for a square. Empty and reversed ranges put the knob at the minimum; values
// outside the range at its ends.
NSRect calculateKnobRectForCellFrame_flipped(NSSliderCell* cell, NSRect cellFrame, bool flipped);

// A new image (autoreleased) of the rectangle's size, its focus locked (the caller unlocks),
// the rectangle filled with the clear colour.
NSImage* beginNewImageWithLockedFocus(NSRect rect);
// A capsule of the grey and alpha over the rectangle of the current context.
void drawLozengeBackground_grey_alpha(NSRect rect, double grey, double alpha);
void drawLozengeBackground(NSRect rect);
// The text centred in the rectangle, in the bold system font of the size and the colour.
void drawTextInRect_text_textSize_textColor(NSRect rect, NSString* text, float textSize, NSColor* textColor);
// The screen's backing scale factor; 1 for none.
CGFloat scaleForRetinaDisplay(NSScreen* screen);
// The image turned by the angle (a multiple of 90 degrees) through a new image of the turned
// size; the image itself for 0.
NSImage* rotateImage_forScreen_byAngleOf90Degrees(NSImage* image, NSScreen* screen, int angle);

}  // namespace NSSliderCell_Labeling
