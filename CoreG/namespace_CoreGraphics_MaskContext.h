#pragma once
// An 8-bit gray bitmap used as an alpha mask (255 opaque, 0 transparent), with generators
// that fill it procedurally and per-pixel operations that merge two masks into a third.
#include <array>
#include <cstdint>

#include "namespace_CoreGraphics_BitmapContext.h"

namespace CoreGraphics {

// Generator parameters, read by index: 0 rotation in degrees, 3 density or size (0..1),
// 4 shape parameter (0..1), 5 opacity of what is drawn (0..1); 1 and 2 are not read.
using MaskParameters = std::array<float, 6>;

class MaskContext : public BitmapContext {
 public:
  MaskContext() = default;
  ~MaskContext() override = default;

  bool Construct(int width, int height);
  // Rebuilds the mask at a new size; false (pixels kept) when the size is already that.
  bool SetMaskDimensions(const CGSize& inDimensions);

  // An image mask over the mask bytes (the colour space is not used); caller owns it.
  CGImageRef ConstructCGImage(CGColorSpaceRef colorSpace) const override;
  // The mask as a plain gray image.
  CGImageRef ConstructGrayCGImage() const;

  bool MakeOpaque();
  bool MakeOpaque(float opacity);
  bool MakeTransparent();
  bool MakeOpacity(float opacity);
  bool MakeRadialMask(bool invert, float angle, float scale, float aspect);
  void MakeConcentricShapesMask(CGContextRef context, const MaskParameters& params, bool square, CGRect rect);
  void MakeOpArtCenterRaysMask(const MaskParameters& params);
  void MakeOpArtCornerRaysMask(const MaskParameters& params);
  void MakeMaskScreen(int kind, const MaskParameters& params);
  void MakeMaskShape(int kind, const MaskParameters& params);
  void MakeNoiseMask(const MaskParameters& params);
  // Replaces every byte by table[byte].
  bool MapThroughTable(const uint8_t table[256]);

  // this = op(a, b) with a = mask1 × opacity1 and b = mask2 × opacity2, optionally
  // inverted (255 − r). Operations: 0 (and unknown) max(a, b); 1 a + b; 2 b − a; 3 a − b;
  // 4 and 5 a + b − 255; 6 a + 255 − b; 7 b + 255 − a; 8 a; 9 255 − a; 10 b; 11 255 − b;
  // each clamped to 0..255. All three masks must have one size: false otherwise
  // (reported when mask2 differs).
  bool MergeOp(const MaskContext& mask1, float opacity1, const MaskContext& mask2, float opacity2, int op,
               bool invert);
  bool MergeOp(const MaskContext& mask1, const MaskContext& mask2, int op);

  bool SameDimensions(const BitmapContext& other) const;

  // The five PDF outlines of the shape generator, by resource base name.
  static constexpr const char* kPDFShapeNames[5] = {"MaskLipsInc", "MaskPeaceSign", "MaskButterfly",
                                                    "MaskMaleSign", "MaskFemaleSign"};
  // The soft-edged stripe profile of the spiral and wave screens.
  static const std::array<uint8_t, 256>& BandProfile();
};

}  // namespace CoreGraphics
