#include "NSUIColorContentView.h"

#include <AppKit/NSColor.h>
#include <AppKit/NSGraphics.h>
#include <AppKit/NSGraphicsContext.h>
#include <Foundation/NSBridging.h>

#include "CoreMachDebug.h"
#include "NSUIColorDrawing.h"

int import_NSUIColorContentView() { return import_NSUIColorDrawing(); }

OBJC_CLASS_DEFINE(NSUIColorContentView)

NSUIColorContentView* NSUIColorContentView::colorViewWith(const float* rgb, Class cls) {
  NSObject* made = cls && class_isSubclassOfClass(cls, class_()) ? class_createInstance(cls) : nullptr;
  auto* view = made ? static_cast<NSUIColorContentView*>(static_cast<NSView*>(made->init())) : nullptr;
  if (!view) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, " code : newView");
    return nullptr;
  }
  if (rgb) view->setColor(rgb);
  return view;
}

NSView* NSUIColorContentView::initWithFrame(NSRect frame) {
  if (!NSView::initWithFrame(frame)) return nullptr;
  initColorContentView();
  return this;
}

NSObject* NSUIColorContentView::initWithCoder(NSCoder* coder) {
  if (!NSView::initWithCoder(coder)) return nullptr;
  initColorContentView();
  return this;
}

void NSUIColorContentView::initColorContentView() { setGreyColor_withOpacity(1.0f, 1.0f); }

void NSUIColorContentView::setGreyColor(float grey) {
  viewColorRGB[0] = viewColorRGB[1] = viewColorRGB[2] = grey;
}

void NSUIColorContentView::setColor(const float* rgb) {
  if (!rgb) return;
  viewColorRGB[0] = rgb[0];
  viewColorRGB[1] = rgb[1];
  viewColorRGB[2] = rgb[2];
}

void NSUIColorContentView::setGreyColor_withOpacity(float grey, float opacity) {
  setGreyColor(grey);
  setOpacity(opacity);
}

void NSUIColorContentView::setAccentColors() {
  setMedGreyOpaque();
  setOpacity(0.25f);
}

CGContextRef NSUIColorContentView::beginFill() const {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  CGContextRef context = graphics ? graphics->CGContext() : nullptr;
  if (!context) return nullptr;
  CGContextSaveGState(context);
  CGContextSetRGBFillColor(context, viewColorRGB[0], viewColorRGB[1], viewColorRGB[2], alphaOpacity);
  return context;
}

void NSUIColorContentView::drawRect(NSRect rect) {
  if (CGContextRef context = beginFill()) {
    CGContextFillRect(context, rect);
    CGContextRestoreGState(context);
  }
}

void NSUIColorContentView::drawRect_EllipseRect(NSRect) {
  if (CGContextRef context = beginFill()) {
    CGContextFillEllipseInRect(context, bounds());
    CGContextRestoreGState(context);
  }
}

void NSUIColorContentView::drawRect_roundRect_withCorner_withFlags(NSRect, float radius, unsigned flags) {
  const NSRect b = bounds();
  NSRect rounded;
  switch (flags) {
    case 1:
      // Twice as high, reaching one view height below: only the top corners lie inside.
      rounded = NSMakeRect(b.origin.x, b.origin.y - b.size.height, b.size.width, 2 * b.size.height);
      break;
    case 2:
      rounded = NSMakeRect(b.origin.x, b.origin.y, b.size.width, 2 * b.size.height);
      break;
    case 3:
      rounded = b;
      break;
    default:
      return;
  }
  if (CGContextRef context = beginFill()) {
    NSUIFillRoundRect(context, rounded, 0.0f, radius);
    CGContextRestoreGState(context);
  }
}

#define NSUI_COLOR_DEFINE(Name, setUp) \
  OBJC_CLASS_DEFINE(Name)              \
  void Name::initColorContentView() { setUp; }
#define NSUI_SHAPE_DEFINE(Name, draw) \
  OBJC_CLASS_DEFINE(Name)             \
  void Name::drawRect(NSRect rect) { draw; }

NSUI_COLOR_DEFINE(NSUIWhiteOpaqueView, setWhiteOpaque())
NSUI_COLOR_DEFINE(NSUILightGreyOpaqueView, setLightGreyOpaque())
NSUI_COLOR_DEFINE(NSUIGreyOpaqueView, setGreyOpaque())
NSUI_COLOR_DEFINE(NSUIMedGreyOpaqueView, setMedGreyOpaque())
NSUI_COLOR_DEFINE(NSUIDarkGreyOpaqueView, setDarkGreyOpaque())
NSUI_COLOR_DEFINE(NSUIOpaqueBlackView, setOpaqueBlack())
NSUI_COLOR_DEFINE(NSUITransparentView, setGreyColor_withOpacity(1.0f, 0.0f))

OBJC_CLASS_DEFINE(NSUIGreyStrokedRoundRectView)

void NSUIGreyStrokedRoundRectView::initColorContentView() { setGreyColor(0.75f); }

void NSUIGreyStrokedRoundRectView::drawRect(NSRect) {
  if (CGContextRef context = beginFill()) {
    CGContextSetRGBStrokeColor(context, viewColorRGB[0], viewColorRGB[1], viewColorRGB[2], 1.0);
    NSUIFillRoundRect(context, bounds(), 3.0f, 0.25f);
    CGContextRestoreGState(context);
  }
}

NSUI_SHAPE_DEFINE(NSUIBlackRoundRectView, drawRect_roundRect(rect))
NSUI_SHAPE_DEFINE(NSUIDarkGreyRoundRectView, drawRect_roundRect(rect))
NSUI_SHAPE_DEFINE(NSUIGreyRoundRectView, drawRect_roundRect(rect))
NSUI_SHAPE_DEFINE(NSUIWhiteRoundRectView, drawRect_roundRect(rect))

NSUI_SHAPE_DEFINE(NSUIBlackRoundRectViewCorner10, drawRect_roundRect_withCornerPixels(rect, 10.0f))
NSUI_SHAPE_DEFINE(NSUIDarkGreyRoundRectViewCorner10, drawRect_roundRect_withCornerPixels(rect, 10.0f))
NSUI_SHAPE_DEFINE(NSUIGreyRoundRectViewCorner10, drawRect_roundRect_withCornerPixels(rect, 10.0f))
NSUI_SHAPE_DEFINE(NSUIMedGreyRoundRectViewCorner10, drawRect_roundRect_withCorner_withFlags(rect, 10.0f, 3))
NSUI_SHAPE_DEFINE(NSUIWhiteRoundRectViewCorner10, drawRect_roundRect_withCorner_withFlags(rect, 10.0f, 3))

NSUI_SHAPE_DEFINE(NSUIBlackRoundRectTopViewCorner10, drawRect_roundRect_withCorner_withFlags(rect, 10.0f, 1))
NSUI_SHAPE_DEFINE(NSUIDarkGreyRoundRectTopViewCorner10,
                  drawRect_roundRect_withCorner_withFlags(rect, 10.0f, 1))
NSUI_SHAPE_DEFINE(NSUIGreyRoundRectTopViewCorner10, drawRect_roundRect_withCorner_withFlags(rect, 10.0f, 1))
NSUI_SHAPE_DEFINE(NSUIMedGreyRoundRectTopViewCorner10,
                  drawRect_roundRect_withCorner_withFlags(rect, 10.0f, 1))
NSUI_SHAPE_DEFINE(NSUIWhiteRoundRectTopViewCorner10, drawRect_roundRect_withCorner_withFlags(rect, 10.0f, 1))

NSUI_SHAPE_DEFINE(NSUIBlackRoundRectBottomViewCorner10,
                  drawRect_roundRect_withCorner_withFlags(rect, 10.0f, 2))
NSUI_SHAPE_DEFINE(NSUIDarkGreyRoundRectBottomViewCorner10,
                  drawRect_roundRect_withCorner_withFlags(rect, 10.0f, 2))
NSUI_SHAPE_DEFINE(NSUIGreyRoundRectBottomViewCorner10,
                  drawRect_roundRect_withCorner_withFlags(rect, 10.0f, 2))
NSUI_SHAPE_DEFINE(NSUIMedGreyRoundRectBottomViewCorner10,
                  drawRect_roundRect_withCorner_withFlags(rect, 10.0f, 2))
NSUI_SHAPE_DEFINE(NSUIWhiteRoundRectBottomViewCorner10,
                  drawRect_roundRect_withCorner_withFlags(rect, 10.0f, 2))

// The corners outside the circle are cleared, whatever lies behind the view.
#define NSUI_CIRCLE_DRAWING     \
  NSColor::clearColor()->set(); \
  NSRectFill(bounds());         \
  drawRect_EllipseRect(rect)

NSUI_SHAPE_DEFINE(NSUIBlackCircleView, NSUI_CIRCLE_DRAWING)
NSUI_SHAPE_DEFINE(NSUIDarkGreyCircleView, NSUI_CIRCLE_DRAWING)
NSUI_SHAPE_DEFINE(NSUIGreyCircleView, NSUI_CIRCLE_DRAWING)

OBJC_CLASS_DEFINE(NSUIAccentRoundRectView)
void NSUIAccentRoundRectView::initColorContentView() { setAccentColors(); }
void NSUIAccentRoundRectView::drawRect(NSRect rect) { drawRect_roundRect(rect); }
NSUI_SHAPE_DEFINE(NSUIAccentRoundRectViewCorner10, drawRect_roundRectCorner10(rect))

OBJC_CLASS_DEFINE(NSUIBaseLozengeView)
void NSUIBaseLozengeView::initColorContentView() { setGreyColor_withOpacity(0.75f, 0.8f); }
void NSUIBaseLozengeView::drawRect(NSRect) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  if (graphics) NSUIDrawKnobInContext(graphics->CGContext(), viewColorRGB, alphaOpacity, bounds());
}

NSUI_COLOR_DEFINE(NSUIGreyLozengeView, setGreyColor_withOpacity(0.75f, 0.8f))
NSUI_COLOR_DEFINE(NSUIDarkGreyLozengeView, setGreyColor_withOpacity(0.25f, 0.75f))
NSUI_COLOR_DEFINE(NSUIMedGreyLozengeView, setGreyColor_withOpacity(0.5f, 0.75f))
NSUI_COLOR_DEFINE(NSUIBlackLozengeView, setGreyColor_withOpacity(0.05f, 0.75f))
NSUI_COLOR_DEFINE(NSUIAccentLozengeView, setAccentColors())
