#pragma once
// The pictures of drawn image buttons: a background shape in the button's fill colour (a
// rounded square, or a circle for the round kinds) with the named picture of the application's
// resources laid over it, a PDF first, at the button's image opacity.
#include <AppKit/NSColor.h>
#include <AppKit/NSImage.h>

class NSUIToolButton;

int import_NSUINfoGraffikImage();

class NSUINfoGraffikImage : public NSImage {
  OBJC_CLASS_DECL(NSUINfoGraffikImage, NSImage)

 public:
  // A new picture (autoreleased) of the size for the state; an empty picture when no offscreen
  // bitmap of the size can be drawn.
  static NSUINfoGraffikImage* button_imageForSizeState_forSize_forState_forKind(NSUIToolButton* button,
                                                                                NSString* name, NSSize size,
                                                                                NSInteger state,
                                                                                NSInteger kind);
  static NSUINfoGraffikImage* button_imageForSizeState_forSize_forState(NSUIToolButton* button,
                                                                        NSString* name, NSSize size,
                                                                        NSInteger state) {
    return button_imageForSizeState_forSize_forState_forKind(button, name, size, state, 0);
  }

  // The background of the kind in the button's colours (their own alpha left out), then the
  // picture, in the current context.
  static void drawButton_name_rect_forState_margin_forKind(NSUIToolButton* button, NSString* name,
                                                           NSRect rect, NSInteger state, CGFloat margin,
                                                           NSInteger kind);
  // The named picture over the rectangle at the opacity; nothing for no name or no picture.
  static void drawImage_rect_opacity(NSString* name, NSRect rect, float opacity);

  static NSColor* button_fillColorForState(NSUIToolButton* button, NSInteger state);
  static NSColor* button_strokeColorForState(NSUIToolButton* button, NSInteger state);
  static NSColor* buttonHighlightColor(NSUIToolButton* button);

 protected:
  NSUINfoGraffikImage() = default;
};
