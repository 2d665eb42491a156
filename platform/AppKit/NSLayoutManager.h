#pragma once
// Text layout questions that do not need a text: line heights of fonts.
#include <Foundation/NSObject.h>

#include <AppKit/NSGeometry.h>

class NSFont;

class APPKIT_CLASS NSLayoutManager : public NSObject {
  OBJC_CLASS_DECL(NSLayoutManager, NSObject)

 public:
  NSObject* init() override { return this; }
  // The height of a line of the font: its ascent, descent and leading; 0 for no font.
  CGFloat defaultLineHeightForFont(NSFont* font) const;

 protected:
  NSLayoutManager() = default;
};
