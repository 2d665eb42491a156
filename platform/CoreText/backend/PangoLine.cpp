#include "PangoLine.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <mutex>
#include <utility>

namespace CoreTextBackend {

namespace {

// Pango's font maps are not safe to use from several threads at once.
std::mutex gPangoLock;

PangoLayout* makeLayout(cairo_t* cr, const std::string& text, const std::vector<FontSpan>& spans) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  pango_layout_set_text(layout, text.c_str(), int(text.size()));
  PangoAttrList* attributes = pango_attr_list_new();
  for (const FontSpan& span : spans) {
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, span.family.c_str());
    // Sizes are in user-space units, one to a pixel at the identity transform.
    pango_font_description_set_absolute_size(description, span.size * PANGO_SCALE);
    PangoAttribute* font = pango_attr_font_desc_new(description);
    pango_font_description_free(description);
    font->start_index = unsigned(span.begin);
    font->end_index = unsigned(span.end);
    pango_attr_list_insert(attributes, font);
  }
  pango_layout_set_attributes(layout, attributes);
  pango_attr_list_unref(attributes);
  return layout;
}

// Runs `work` with a layout of the line on a coverage surface of the given size.
template <class Work>
void withLayout(const std::string& text, const std::vector<FontSpan>& spans, int width, int height,
                Work work) {
  std::lock_guard<std::mutex> guard(gPangoLock);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
  cairo_t* cr = cairo_create(surface);
  PangoLayout* layout = makeLayout(cr, text, spans);
  work(surface, cr, layout);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

}  // namespace

PangoLine::PangoLine(std::string text, std::vector<FontSpan> spans)
    : mText(std::move(text)), mSpans(std::move(spans)) {
  if (mText.empty()) return;
  withLayout(mText, mSpans, 1, 1, [this](cairo_surface_t*, cairo_t*, PangoLayout* layout) {
    PangoRectangle ink;
    pango_layout_get_pixel_extents(layout, &ink, nullptr);
    const int baseline = PANGO_PIXELS(pango_layout_get_baseline(layout));
    if (ink.width <= 0 || ink.height <= 0) return;
    mInk = InkBounds{ink.x, baseline - (ink.y + ink.height), ink.width, ink.height};
  });
}

std::vector<uint8_t> PangoLine::rasterise() const {
  std::vector<uint8_t> coverage(size_t(mInk.width) * size_t(mInk.height));
  if (coverage.empty()) return coverage;
  withLayout(mText, mSpans, mInk.width, mInk.height,
             [&](cairo_surface_t* surface, cairo_t* cr, PangoLayout* layout) {
               PangoRectangle ink;
               pango_layout_get_pixel_extents(layout, &ink, nullptr);
               cairo_move_to(cr, -ink.x, -ink.y);
               pango_cairo_show_layout(cr, layout);
               cairo_surface_flush(surface);
               const uint8_t* data = cairo_image_surface_get_data(surface);
               const size_t stride = size_t(cairo_image_surface_get_stride(surface));
               for (int y = 0; y < mInk.height; ++y)
                 std::copy(data + size_t(y) * stride, data + size_t(y) * stride + size_t(mInk.width),
                           coverage.begin() + std::ptrdiff_t(size_t(y) * size_t(mInk.width)));
             });
  return coverage;
}

}  // namespace CoreTextBackend
