#pragma once
// Views that fill themselves with one colour and opacity, and the family of small subclasses
// that fix a grey level, an opacity and a shape (plain, rounded, rounded at the top or bottom
// only, circle, capsule) so that nibs can place backgrounds, panels and indicators. Every
// initialiser, in code or from a nib, runs initColorContentView, which subclasses override.
// Shapes are laid on the view's bounds whatever rectangle drawing is asked for.
#include <AppKit/NSView.h>

int import_NSUIColorContentView();

class NSUIColorContentView : public NSView {
  OBJC_CLASS_DECL(NSUIColorContentView, NSView)

 public:
  // A new view (+1) of the colour (three components), of the receiving class; null, reported,
  // when none can be made.
  static NSUIColorContentView* colorViewWith(const float* rgb, Class cls = class_());

  NSView* initWithFrame(NSRect frame) override;
  NSObject* initWithCoder(NSCoder* coder) override;
  // White, opaque; each subclass sets its own.
  virtual void initColorContentView();

  void setGreyColor(float grey);
  void setColor(const float* rgb);
  void setOpacity(float opacity) { alphaOpacity = opacity; }
  void setGreyColor_withOpacity(float grey, float opacity);
  void setWhiteOpaque() { setGreyColor_withOpacity(1.0f, 1.0f); }
  void setLightGreyOpaque() { setGreyColor_withOpacity(0.85f, 1.0f); }
  void setGreyOpaque() { setGreyColor_withOpacity(0.75f, 1.0f); }
  void setMedGreyOpaque() { setGreyColor_withOpacity(0.5f, 1.0f); }
  void setDarkGreyOpaque() { setGreyColor_withOpacity(0.25f, 1.0f); }
  void setOpaqueBlack() { setGreyColor_withOpacity(0.05f, 1.0f); }
  void setAccentColors();

  // Fills the rectangle.
  void drawRect(NSRect rect) override;
  void drawRect_EllipseRect(NSRect rect);
  // Corners a quarter of the smaller side.
  void drawRect_roundRect(NSRect rect) { drawRect_roundRect_withCorner(rect, 0.25f); }
  void drawRect_roundRectCorner10(NSRect rect) { drawRect_roundRect_withCorner(rect, 10.0f); }
  void drawRect_roundRect_withCornerPixels(NSRect rect, float radius) {
    drawRect_roundRect_withCorner(rect, radius);
  }
  void drawRect_roundRect_withCorner(NSRect rect, float radius) {
    drawRect_roundRect_withCorner_withFlags(rect, radius, 3);
  }
  // Flags 1: only the top corners rounded; 2: only the bottom ones; 3: all four; any other
  // draws nothing.
  void drawRect_roundRect_withCorner_withFlags(NSRect rect, float radius, unsigned flags);

  bool isOpaque() const override { return false; }
  bool acceptsFirstResponder() override { return false; }
  bool acceptsFirstMouse(NSEvent*) override { return true; }

  const float* colorRGB() const { return viewColorRGB; }
  float opacity() const { return alphaOpacity; }

 protected:
  // Saves the graphics state and sets the fill colour to the view's; answers the context.
  CGContextRef beginFill() const;

  float viewColorRGB[3] = {0, 0, 0};
  float alphaOpacity = 0;
};

// A subclass that only sets its colour in initColorContentView.
#define NSUI_COLOR_CONTENT_VIEW(Name, Super) \
  class Name : public Super {                \
    OBJC_CLASS_DECL(Name, Super)             \
   public:                                   \
    void initColorContentView() override;    \
  };
// A subclass that only draws its shape.
#define NSUI_COLOR_SHAPE_VIEW(Name, Super) \
  class Name : public Super {              \
    OBJC_CLASS_DECL(Name, Super)           \
   public:                                 \
    void drawRect(NSRect rect) override;   \
  };

NSUI_COLOR_CONTENT_VIEW(NSUIWhiteOpaqueView, NSUIColorContentView)
NSUI_COLOR_CONTENT_VIEW(NSUILightGreyOpaqueView, NSUIColorContentView)
NSUI_COLOR_CONTENT_VIEW(NSUIGreyOpaqueView, NSUIColorContentView)
NSUI_COLOR_CONTENT_VIEW(NSUIMedGreyOpaqueView, NSUIColorContentView)
NSUI_COLOR_CONTENT_VIEW(NSUIDarkGreyOpaqueView, NSUIColorContentView)
NSUI_COLOR_CONTENT_VIEW(NSUIOpaqueBlackView, NSUIColorContentView)
NSUI_COLOR_CONTENT_VIEW(NSUITransparentView, NSUIColorContentView)

class NSUIGreyStrokedRoundRectView : public NSUITransparentView {
  OBJC_CLASS_DECL(NSUIGreyStrokedRoundRectView, NSUITransparentView)
 public:
  void initColorContentView() override;
  void drawRect(NSRect rect) override;
};

NSUI_COLOR_SHAPE_VIEW(NSUIBlackRoundRectView, NSUIOpaqueBlackView)
NSUI_COLOR_SHAPE_VIEW(NSUIDarkGreyRoundRectView, NSUIDarkGreyOpaqueView)
NSUI_COLOR_SHAPE_VIEW(NSUIGreyRoundRectView, NSUIGreyOpaqueView)
NSUI_COLOR_SHAPE_VIEW(NSUIWhiteRoundRectView, NSUIWhiteOpaqueView)

NSUI_COLOR_SHAPE_VIEW(NSUIBlackRoundRectViewCorner10, NSUIOpaqueBlackView)
NSUI_COLOR_SHAPE_VIEW(NSUIDarkGreyRoundRectViewCorner10, NSUIDarkGreyOpaqueView)
NSUI_COLOR_SHAPE_VIEW(NSUIGreyRoundRectViewCorner10, NSUIGreyOpaqueView)
NSUI_COLOR_SHAPE_VIEW(NSUIMedGreyRoundRectViewCorner10, NSUIMedGreyOpaqueView)
NSUI_COLOR_SHAPE_VIEW(NSUIWhiteRoundRectViewCorner10, NSUIWhiteOpaqueView)

NSUI_COLOR_SHAPE_VIEW(NSUIBlackRoundRectTopViewCorner10, NSUIOpaqueBlackView)
NSUI_COLOR_SHAPE_VIEW(NSUIDarkGreyRoundRectTopViewCorner10, NSUIDarkGreyOpaqueView)
NSUI_COLOR_SHAPE_VIEW(NSUIGreyRoundRectTopViewCorner10, NSUIGreyOpaqueView)
NSUI_COLOR_SHAPE_VIEW(NSUIMedGreyRoundRectTopViewCorner10, NSUIMedGreyOpaqueView)
NSUI_COLOR_SHAPE_VIEW(NSUIWhiteRoundRectTopViewCorner10, NSUIWhiteOpaqueView)

NSUI_COLOR_SHAPE_VIEW(NSUIBlackRoundRectBottomViewCorner10, NSUIOpaqueBlackView)
NSUI_COLOR_SHAPE_VIEW(NSUIDarkGreyRoundRectBottomViewCorner10, NSUIDarkGreyOpaqueView)
NSUI_COLOR_SHAPE_VIEW(NSUIGreyRoundRectBottomViewCorner10, NSUIGreyOpaqueView)
NSUI_COLOR_SHAPE_VIEW(NSUIMedGreyRoundRectBottomViewCorner10, NSUIMedGreyOpaqueView)
NSUI_COLOR_SHAPE_VIEW(NSUIWhiteRoundRectBottomViewCorner10, NSUIWhiteOpaqueView)

NSUI_COLOR_SHAPE_VIEW(NSUIBlackCircleView, NSUIOpaqueBlackView)
NSUI_COLOR_SHAPE_VIEW(NSUIDarkGreyCircleView, NSUIDarkGreyOpaqueView)
NSUI_COLOR_SHAPE_VIEW(NSUIGreyCircleView, NSUIGreyOpaqueView)

class NSUIAccentRoundRectView : public NSUIColorContentView {
  OBJC_CLASS_DECL(NSUIAccentRoundRectView, NSUIColorContentView)
 public:
  void initColorContentView() override;
  void drawRect(NSRect rect) override;
};
NSUI_COLOR_SHAPE_VIEW(NSUIAccentRoundRectViewCorner10, NSUIAccentRoundRectView)

class NSUIBaseLozengeView : public NSUIColorContentView {
  OBJC_CLASS_DECL(NSUIBaseLozengeView, NSUIColorContentView)
 public:
  void initColorContentView() override;
  void drawRect(NSRect rect) override;
};
NSUI_COLOR_CONTENT_VIEW(NSUIGreyLozengeView, NSUIBaseLozengeView)
NSUI_COLOR_CONTENT_VIEW(NSUIDarkGreyLozengeView, NSUIBaseLozengeView)
NSUI_COLOR_CONTENT_VIEW(NSUIMedGreyLozengeView, NSUIBaseLozengeView)
NSUI_COLOR_CONTENT_VIEW(NSUIBlackLozengeView, NSUIBaseLozengeView)
NSUI_COLOR_CONTENT_VIEW(NSUIAccentLozengeView, NSUIBaseLozengeView)
