#include <AppKit/NSLayoutManager.h>

#include <AppKit/NSFont.h>

OBJC_CLASS_DEFINE(NSLayoutManager)

CGFloat NSLayoutManager::defaultLineHeightForFont(NSFont* font) const { return font ? font->defaultLineHeight() : 0; }
