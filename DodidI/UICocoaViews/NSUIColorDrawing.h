#pragma once
// Plain drawing routines of the colour content views: rounded rectangles and capsules.
#include <CoreGraphics/CoreGraphics.h>

int import_NSUIColorDrawing();

// Fills (and with a positive line width, also strokes) a rounded rectangle in the context's
// colours. A radius below 1 is a fraction of the smaller side.
void NSUIFillRoundRect(CGContextRef context, CGRect rect, float lineWidth, float radius);
// A capsule of the colour inside the rectangle, one unit in from its top and bottom: a round-
// capped line along the longer side, or a circle when the sides match. A rectangle lower than
// two units holds no capsule: nothing is drawn.
void NSUIDrawKnobInContext(CGContextRef context, const float* rgb, float alpha, CGRect rect);
