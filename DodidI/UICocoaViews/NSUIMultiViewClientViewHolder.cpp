#include "NSUIMultiViewClientViewHolder.h"

#include <AppKit/NSFont.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSImage.h>
#include <AppKit/NSParagraphStyle.h>
#include <AppKit/NSStringDrawing.h>
#include <Foundation/NSApplicationLifecycle.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNotificationCenter.h>
#include <objc/MethodTable.h>

#include "CoreMachDebug.h"
#include "namespace_CoreGraphics_RoundRectPath.h"

int import_NSUIMultiViewClientViewHolder() { return import_NSUIViewHolder(); }

OBJC_CLASS_DEFINE(NSUIMultiViewClientViewHolder)
NS_PROPERTIES(NSUIMultiViewClientViewHolder,
              NS_PROPERTY("multiViewController", &NSUIMultiViewClientViewHolder::multiViewController,
                          &NSUIMultiViewClientViewHolder::setMultiViewController))
OBJC_METHODS(NSUIMultiViewClientViewHolder,
             OBJC_METHOD("applicationDidFinishLaunching:", &NSUIMultiViewClientViewHolder::applicationDidFinishLaunching))

namespace {
std::atomic<int64_t> gInstanceCounter{0};
}

NSUIMultiViewClientViewHolder::~NSUIMultiViewClientViewHolder() { NSNotificationCenter::defaultCenter()->removeObserver(this); }

NSObject* NSUIMultiViewClientViewHolder::initWithCoder(NSCoder* coder) {
  // Holders from a nib are numbered too, so that they do not all share the title 0.
  NSObject* result = NSUIViewHolder::initWithCoder(coder);
  return result ? static_cast<NSUIMultiViewClientViewHolder*>(result)->initViewAttributes() : nullptr;
}

NSView* NSUIMultiViewClientViewHolder::initViewAttributes() {
  NSView* result = NSUIViewHolder::initViewAttributes();
  mInstanceNumber = gInstanceCounter++;
  return result;
}

void NSUIMultiViewClientViewHolder::awakeFromNib() {
  if (!multiViewController()) return;
  if (NSApplicationLifecycle::hasFinishedLaunching()) {
    // Launching is over: no notification will come.
    applicationDidFinishLaunching(nullptr);
    return;
  }
  NSNotificationCenter::defaultCenter()->addObserver_selector_name_object(
      this, SELECTOR("applicationDidFinishLaunching:"), NSApplicationDidFinishLaunchingNotification, nullptr);
}

void NSUIMultiViewClientViewHolder::applicationDidFinishLaunching(NSNotification*) {
  if (auto* host = dynamic_cast<protocol_MultiViewHost*>(multiViewController())) host->addMultiView_selectView(this, false);
}

NSString* NSUIMultiViewClientViewHolder::multiViewTitle() const {
  if (NSString* tip = toolTip()) return tip;
  return NSString::stringWithFormat(NSSTR("%d"), int(mInstanceNumber));
}

NSImage* NSUIMultiViewClientViewHolder::multiViewIconImage() { return defaultIconImageWithTitle(multiViewTitle()); }

NSImage* NSUIMultiViewClientViewHolder::defaultIconImageWithTitle(NSString* title) {
  RefPtr<NSImage> image = adopt(NSImage::alloc()->initWithSize(NSMakeSize(32, 32)));
  if (!image || !image->isValid()) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, " code : image");
    return nullptr;
  }
  image->lockFocus();
  try {
    CGContextRef port = NSGraphicsContext::currentContext()->CGContext();
    CGContextRetain(port);
    CGContextSaveGState(port);
    CGContextClearRect(port, CGRectMake(0, 0, 32, 32));
    CGContextSetRGBFillColor(port, 0.1, 0.1, 0.1, 1.0);
    CGContextSetRGBStrokeColor(port, 1.0, 1.0, 1.0, 0.5);
    CoreGraphics::DrawRoundRect(port, CGRectMake(0, 0, 32, 32), 1.0f, 8.0f);
    drawTextInContext_pageRect_text_textSize(port, NSMakeRect(0, 0, 32, 32), title, 12.0f);
    CGContextRestoreGState(port);
    CGContextRelease(port);
  } catch (const NSException::Raised&) {
  }
  image->unlockFocus();
  return static_cast<NSImage*>(image.leak()->autorelease());
}

void NSUIMultiViewClientViewHolder::drawTextInContext_pageRect_text_textSize(CGContextRef context, NSRect rect,
                                                                              NSString* text, float size) {
  RefPtr<NSGraphicsContext> previous(NSGraphicsContext::currentContext());
  NSGraphicsContext::setCurrentContext(NSGraphicsContext::graphicsContextWithCGContext_flipped(context, false));
  struct Restore {
    RefPtr<NSGraphicsContext> context;
    ~Restore() { NSGraphicsContext::setCurrentContext(context.get()); }
  } restore{previous};
  RefPtr<NSMutableParagraphStyle> style = adopt(NSParagraphStyle::defaultParagraphStyle()->mutableCopy());
  style->setAlignment(NSCenterTextAlignment);
  NSStringDrawing::drawInRect_withAttributes(
      text, rect,
      NSDictionary::dictionaryWithObjects_forKeys({NSFont::boldSystemFontOfSize(size), style.get()},
                                                  {NSFontAttributeName, NSParagraphStyleAttributeName}));
}
