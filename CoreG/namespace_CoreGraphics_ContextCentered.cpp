#include "namespace_CoreGraphics_ContextCentered.h"

#include "CoreGVerify.h"

namespace CoreGraphics {

ContextCentered::ContextCentered(CGRect rect, CGContextRef context)
    : Context(context),
      mCenteredRect{float(rect.origin.x), float(rect.origin.y), float(rect.size.width), float(rect.size.height)} {
  if (!Verify(mContext != nullptr, "ContextCentered", kContextCenteredSource, 23, " code : mContext")) return;
  CGContextSaveGState(mContext);
  float halfWidth = mCenteredRect[2] / 2, halfHeight = mCenteredRect[3] / 2;
  mCenterOffset[0] = -halfWidth;
  mCenterOffset[1] = -halfHeight;
  mCenteredRect[0] -= halfWidth;
  mCenteredRect[1] -= halfHeight;
  CGContextConcatCTM(mContext, CGAffineTransformTranslate(CGAffineTransformMakeScale(1.0, 1.0), halfWidth, halfHeight));
}

ContextCentered::~ContextCentered() {
  if (mContext) CGContextRestoreGState(mContext);
}

void ContextCentered::MoveOriginToCorner(int corner) {
  if (!mContext) return;
  CGFloat dx = mCenteredRect[2] / 2, dy = mCenteredRect[3] / 2;
  switch (corner) {
    case 0: CGContextTranslateCTM(mContext, -dx, -dy); break;
    case 2: CGContextTranslateCTM(mContext, -dx, dy); break;
    case 3: CGContextTranslateCTM(mContext, dx, -dy); break;
    default: CGContextTranslateCTM(mContext, dx, dy); break;
  }
}

}  // namespace CoreGraphics
