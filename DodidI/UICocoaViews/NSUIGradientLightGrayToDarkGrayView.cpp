#include "NSUIGradientLightGrayToDarkGrayView.h"

int import_NSUIGradientLightGrayToDarkGrayView() { return import_NSUIGradientView(); }

#define NSUI_GRADIENT_VIEW_COLORS(Name, start, end)                                    \
  OBJC_CLASS_DEFINE(Name)                                                              \
  NSColor* Name::Meta::gradientStartingColor(Class) const { return NSColor::start(); } \
  NSColor* Name::Meta::gradientEndingColor(Class) const { return NSColor::end(); }

NSUI_GRADIENT_VIEW_COLORS(NSUIGradientLightGrayToDarkGrayView, lightGrayColor, darkGrayColor)
NSUI_GRADIENT_VIEW_COLORS(NSUIGradientDarkGrayToLightGrayView, darkGrayColor, lightGrayColor)
NSUI_GRADIENT_VIEW_COLORS(NSUIGradientGrayToDarkGrayView, grayColor, darkGrayColor)
NSUI_GRADIENT_VIEW_COLORS(NSUIGradientDarkGrayToGrayView, darkGrayColor, grayColor)
NSUI_GRADIENT_VIEW_COLORS(NSUIGradientLightGrayToGrayView, lightGrayColor, grayColor)
NSUI_GRADIENT_VIEW_COLORS(NSUIGradientGrayToLightGrayView, grayColor, lightGrayColor)
NSUI_GRADIENT_VIEW_COLORS(NSUIGradientBlackToDarkGrayView, blackColor, darkGrayColor)
NSUI_GRADIENT_VIEW_COLORS(NSUIGradientDarkGrayToBlackView, darkGrayColor, blackColor)
