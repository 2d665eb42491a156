#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGContextText.h>
#include <CoreGraphics/CGDataProvider.h>
#include <CoreGraphics/CGImage.h>
#include <CoreText/CTLine.h>
#include <CoreText/CTStringAttributes.h>
#include <objc/RefPtr.h>
#include <objc/runtime.h>

#include <memory>
#include <vector>

#include "backend/CTFontObject.h"
#include "backend/PangoLine.h"

struct __CTLine : NSObject {
  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CTLine");
    return id;
  }
  unsigned long cfTypeID() const override { return typeID(); }

  std::unique_ptr<CoreTextBackend::PangoLine> layout;
  // Null: the context's fill colour.
  RefPtr<CGColor> colour;
};

namespace {

constexpr const char* kDefaultFamily = "Helvetica";
constexpr double kDefaultSize = 12;

std::string utf8Of(CFStringRef string) {
  if (!string) return {};
  const CFIndex capacity =
      CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::vector<char> buffer(static_cast<size_t>(capacity));
  if (!CFStringGetCString(string, buffer.data(), capacity, kCFStringEncodingUTF8)) return {};
  return buffer.data();
}

// The colour that the first character asks for: none means the context's.
RefPtr<CGColor> colourOf(CFDictionaryRef attributes) {
  if (!attributes) return nullptr;
  CFTypeRef fromContext = CFDictionaryGetValue(attributes, kCTForegroundColorFromContextAttributeName);
  if (fromContext && CFGetTypeID(fromContext) == CFBooleanGetTypeID() &&
      CFBooleanGetValue(static_cast<CFBooleanRef>(fromContext)))
    return nullptr;
  CFTypeRef colour = CFDictionaryGetValue(attributes, kCTForegroundColorAttributeName);
  if (!colour || CFGetTypeID(colour) != CGColorGetTypeID()) return nullptr;
  return RefPtr<CGColor>(static_cast<CGColorRef>(const_cast<void*>(colour)));
}

bool paints(CGTextDrawingMode mode) {
  return mode == kCGTextFill || mode == kCGTextFillStroke || mode == kCGTextFillClip ||
         mode == kCGTextFillStrokeClip;
}

}  // namespace

CFTypeID CTLineGetTypeID(void) { return __CTLine::typeID(); }

CTLineRef CTLineCreateWithAttributedString(CFAttributedStringRef attrString) {
  if (!attrString) return nullptr;
  std::string text;
  std::vector<CoreTextBackend::FontSpan> spans;
  const CFIndex length = CFAttributedStringGetLength(attrString);
  CFStringRef string = CFAttributedStringGetString(attrString);
  for (CFIndex at = 0; at < length;) {
    CFRange run{at, 1};
    CFDictionaryRef attributes = CFAttributedStringGetAttributes(attrString, at, &run);
    RefPtr<const __CFString> part =
        adopt(CFStringCreateWithSubstring(nullptr, string, CFRangeMake(at, run.location + run.length - at)));
    const size_t begin = text.size();
    text += utf8Of(part.get());
    const __CTFont* font =
        attributes ? __CTFont::cast(CFDictionaryGetValue(attributes, kCTFontAttributeName)) : nullptr;
    spans.push_back(
        {begin, text.size(), font ? font->family : kDefaultFamily, font ? font->size : kDefaultSize});
    at = run.location + run.length;
  }
  auto* line = new __CTLine();
  line->colour = colourOf(CFAttributedStringGetAttributes(attrString, 0, nullptr));
  line->layout = std::make_unique<CoreTextBackend::PangoLine>(std::move(text), std::move(spans));
  return line;
}

CGRect CTLineGetImageBounds(CTLineRef line, CGContextRef context) {
  if (!line) return CGRectNull;
  const CoreTextBackend::InkBounds& ink = line->layout->ink();
  if (ink.width == 0 || ink.height == 0) return CGRectNull;
  const CGRect bounds = CGRectMake(ink.x, ink.y, ink.width, ink.height);
  return context ? CGRectApplyAffineTransform(bounds, CGContextGetTextMatrix(context)) : bounds;
}

void CTLineDraw(CTLineRef line, CGContextRef context) {
  if (!line || !context || !paints(CGContextGetTextDrawingMode(context))) return;
  const CoreTextBackend::InkBounds& ink = line->layout->ink();
  std::vector<uint8_t> samples = line->layout->rasterise();
  if (samples.empty()) return;
  // An image mask paints where its samples are 0: the ink, inverted.
  for (uint8_t& sample : samples) sample = uint8_t(255 - sample);
  RefPtr<const __CFData> bytes = adopt(CFDataCreate(nullptr, samples.data(), CFIndex(samples.size())));
  RefPtr<CGDataProvider> provider = adopt(CGDataProviderCreateWithCFData(bytes.get()));
  RefPtr<CGImage> mask = adopt(CGImageMaskCreate(size_t(ink.width), size_t(ink.height), 8, 8,
                                                 size_t(ink.width), provider.get(), nullptr, true));
  if (!mask) return;
  CGContextSaveGState(context);
  CGContextConcatCTM(context, CGContextGetTextMatrix(context));
  if (line->colour) CGContextSetFillColorWithColor(context, line->colour.get());
  CGContextDrawImage(context, CGRectMake(ink.x, ink.y, ink.width, ink.height), mask.get());
  CGContextRestoreGState(context);
}
