#include "NSUIBlackGlossyView.h"

int import_NSUIBlackGlossyView() { return import_NSUISheenmarkGlossyView(); }

#define NSUI_GLOSSY_VIEW_COLOR(Name, color) \
  OBJC_CLASS_DEFINE(Name)                   \
  NSColor* Name::Meta::defaultGlossyColor(Class) const { return NSColor::color(); }

NSUI_GLOSSY_VIEW_COLOR(NSUIBlackGlossyView, blackColor)
NSUI_GLOSSY_VIEW_COLOR(NSUIDarkGrayGlossyView, darkGrayColor)
NSUI_GLOSSY_VIEW_COLOR(NSUIGrayGlossyView, grayColor)
NSUI_GLOSSY_VIEW_COLOR(NSUIBlueGlossyView, blueColor)
