#pragma once
// Segmented controls: a row of segments, each with a label, an image and a width; one segment
// is selected (-1: none). From a nib: "segmentCount", "labels" (an array of strings) and
// "selectedSegment".
#include <vector>

#include <AppKit/NSControl.h>

class NSImage;

class APPKIT_CLASS NSSegmentedControl : public NSControl {
  OBJC_CLASS_DECL(NSSegmentedControl, NSControl)

 public:
  NSObject* initWithCoder(NSCoder* coder) override;

  NSInteger segmentCount() const { return NSInteger(mSegments.size()); }
  void setSegmentCount(NSInteger count);
  // Out of range: raises NSRangeException, as on the platform.
  NSString* labelForSegment(NSInteger segment) const;
  void setLabel_forSegment(NSString* label, NSInteger segment);
  NSImage* imageForSegment(NSInteger segment) const;
  void setImage_forSegment(NSImage* image, NSInteger segment);
  CGFloat widthForSegment(NSInteger segment) const;
  void setWidth_forSegment(CGFloat width, NSInteger segment);
  NSInteger selectedSegment() const { return mSelected; }
  void setSelectedSegment(NSInteger segment);
  bool isSelectedForSegment(NSInteger segment) const { return segment >= 0 && segment == mSelected; }
  void setSelected_forSegment(bool selected, NSInteger segment);
  bool selectSegmentWithTag(NSInteger tag);
  // What a click on a segment does: selects it and sends the action.
  void performClickOnSegment(NSInteger segment);

 protected:
  NSSegmentedControl() = default;

 private:
  struct Segment {
    RefPtr<NSString> label;
    RefPtr<NSImage> image;
    CGFloat width = 0;
  };
  void check(NSInteger segment) const;

  std::vector<Segment> mSegments;
  NSInteger mSelected = -1;
};
