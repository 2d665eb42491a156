#pragma once
// A line of text laid out by Pango: its text in UTF-8 with a font per byte range, measured
// once, and rasterised on demand into coverage (0 to 255 per pixel).
#include <cstdint>
#include <string>
#include <vector>

namespace CoreTextBackend {

struct FontSpan {
  size_t begin, end;  // byte offsets into the text
  std::string family;
  double size;
};

// Ink extents in the line's space: origin at the start of the baseline, y up.
struct InkBounds {
  int x = 0, y = 0, width = 0, height = 0;
};

class PangoLine {
 public:
  PangoLine(std::string text, std::vector<FontSpan> spans);

  const InkBounds& ink() const { return mInk; }
  // Coverage of the ink rectangle, rows from the top, width() bytes a row.
  std::vector<uint8_t> rasterise() const;

 private:
  std::string mText;
  std::vector<FontSpan> mSpans;
  InkBounds mInk;
};

}  // namespace CoreTextBackend
