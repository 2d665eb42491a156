#include <AppKit/NSFont.h>

#include <pango/pangocairo.h>

#include <mutex>
#include <string>

#include <Foundation/NSBridging.h>

OBJC_CLASS_DEFINE(NSFont)

NSFont* NSFont::make(NSString* name, NSString* family, CGFloat size, bool bold) {
  auto* font = new NSFont();
  font->mName = RefPtr<NSString>(name);
  font->mFamily = RefPtr<NSString>(family);
  font->mSize = size > 0 ? size : systemFontSize();
  font->mBold = bold;
  return static_cast<NSFont*>(font->autorelease());
}

NSFont* NSFont::fontWithName_size(NSString* name, CGFloat size) {
  if (!name) return nullptr;
  std::string text = name->UTF8String();
  const bool bold = text.find("Bold") != std::string::npos;
  std::string family = text;
  for (const char* suffix : {"-Bold", " Bold", "-Regular", " Regular"}) {
    if (auto at = family.find(suffix); at != std::string::npos) family.erase(at);
  }
  return make(name, NSString::stringWithUTF8String(family.c_str()), size, bold);
}

NSFont* NSFont::systemFontOfSize(CGFloat size) { return make(NSSTR("DejaVuSans"), NSSTR("DejaVu Sans"), size, false); }

NSFont* NSFont::boldSystemFontOfSize(CGFloat size) {
  return make(NSSTR("DejaVuSans-Bold"), NSSTR("DejaVu Sans"), size, true);
}

NSFont* NSFont::userFixedPitchFontOfSize(CGFloat size) {
  return make(NSSTR("DejaVuSansMono"), NSSTR("DejaVu Sans Mono"), size, false);
}

NSFont* NSFont::userFontOfSize(CGFloat size) { return systemFontOfSize(size); }

bool NSFont::isFixedPitch() const { return std::string(mFamily->UTF8String()).find("Mono") != std::string::npos; }

std::string NSFont::pangoDescription() const {
  char size[32];
  std::snprintf(size, sizeof size, "%gpx", double(mSize));
  return std::string(mFamily->UTF8String()) + (mBold ? " Bold " : " ") + size;
}

void NSFont::readMetrics() const {
  // Pango's font maps are not safe to share between threads.
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  if (mHaveMetrics) return;
  PangoFontMap* map = pango_cairo_font_map_get_default();
  PangoContext* context = pango_font_map_create_context(map);
  PangoFontDescription* description = pango_font_description_from_string(pangoDescription().c_str());
  PangoFontMetrics* metrics = pango_context_get_metrics(context, description, nullptr);
  mAscender = CGFloat(pango_font_metrics_get_ascent(metrics)) / PANGO_SCALE;
  mDescender = -CGFloat(pango_font_metrics_get_descent(metrics)) / PANGO_SCALE;
  const int height = pango_font_metrics_get_height(metrics);
  mLineHeight = height > 0 ? CGFloat(height) / PANGO_SCALE : mAscender - mDescender;
  pango_font_metrics_unref(metrics);
  pango_font_description_free(description);
  g_object_unref(context);
  mHaveMetrics = true;
}

CGFloat NSFont::ascender() const {
  readMetrics();
  return mAscender;
}

CGFloat NSFont::descender() const {
  readMetrics();
  return mDescender;
}

CGFloat NSFont::defaultLineHeight() const {
  readMetrics();
  return mLineHeight;
}

bool NSFont::isEqual(const NSObject* other) const {
  auto* font = NSDynamicCast<NSFont>(other);
  return font && font->mName->isEqualToString(mName.get()) && font->mSize == mSize;
}
