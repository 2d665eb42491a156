#pragma once
// Fitting a picture inside a rectangle: as large as fits, proportions kept, centred. Small
// pictures are enlarged too.
#include <CoreGraphics/CGGeometry.h>

inline CGRect CGRectFitSizeInsideRect(CGSize size, CGRect target) {
  if (size.width <= 0 || size.height <= 0) return CGRectNull;
  CGFloat scale = target.size.width / size.width;
  if (size.height * scale > target.size.height) scale = target.size.height / size.height;
  const CGSize drawn = CGSizeMake(size.width * scale, size.height * scale);
  return CGRectMake(CGRectGetMidX(target) - drawn.width / 2, CGRectGetMidY(target) - drawn.height / 2, drawn.width,
                    drawn.height);
}
