#include <AppKit/AppKit.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "NSUIGradientLightGrayToDarkGrayView.h"
#include "NSUIGradientView.h"
#include "OffscreenDrawing.h"

const char* g_CoreMachDebug_LogPrefix = "GradientViewTest";
const char* g_CoreMachDebug_LogFileName = "GradientViewTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

using moxicam::test::near;
using moxicam::test::Pixel;
using moxicam::test::pixelAt;
using moxicam::test::renderView;

template <class View>
RefPtr<View> make(NSRect frame) {
  return adopt(static_cast<View*>(View::alloc()->initWithFrame(frame)));
}

int grey(CGFloat white) { return int(std::lround(white * 255)); }

TEST(NSUIGradientView, DrawsGreyToDarkGreyUpwardsOverAShadowLine) {
  objc::AutoreleasePool pool;
  RefPtr<NSUIGradientView> view = make<NSUIGradientView>(NSMakeRect(0, 0, 100, 40));
  EXPECT_TRUE(view->isOpaque());
  EXPECT_TRUE(view->acceptsFirstMouse(nullptr));
  EXPECT_TRUE(view->borderColor()->isEqual(NSColor::shadowColor()));
  RefPtr<NSBitmapImageRep> drawn = renderView(view.get());
  EXPECT_TRUE(near(pixelAt(drawn.get(), 50, 1), 126, 126, 126, 255, 4)) << pixelAt(drawn.get(), 50, 1);
  EXPECT_TRUE(near(pixelAt(drawn.get(), 50, 39), grey(1.0 / 3), grey(1.0 / 3), grey(1.0 / 3), 255, 4));
  EXPECT_TRUE(near(pixelAt(drawn.get(), 0, 20), 107, 107, 107, 255, 4)) << "half way";
  // The line along the bottom edge is one unit wide: half of it lies outside the view.
  const Pixel line = pixelAt(drawn.get(), 50, 0);
  EXPECT_TRUE(near(line, 63, 63, 63, 255, 6)) << line;
  EXPECT_TRUE(near(pixelAt(drawn.get(), 99, 0), 63, 63, 63, 255, 6)) << "along the whole edge";
}

struct Pair {
  Class cls;
  CGFloat bottom, top;
};

TEST(NSUIGradientView, SubclassesFixTheirGreys) {
  objc::AutoreleasePool pool;
  const CGFloat light = 2.0 / 3, dark = 1.0 / 3;
  const Pair pairs[] = {{NSUIGradientLightGrayToDarkGrayView::class_(), light, dark},
                        {NSUIGradientDarkGrayToLightGrayView::class_(), dark, light},
                        {NSUIGradientGrayToDarkGrayView::class_(), 0.5, dark},
                        {NSUIGradientDarkGrayToGrayView::class_(), dark, 0.5},
                        {NSUIGradientLightGrayToGrayView::class_(), light, 0.5},
                        {NSUIGradientGrayToLightGrayView::class_(), 0.5, light},
                        {NSUIGradientBlackToDarkGrayView::class_(), 0, dark},
                        {NSUIGradientDarkGrayToBlackView::class_(), dark, 0}};
  for (const Pair& pair : pairs) {
    // Made from a nib: the class's colours, whatever the nib holds.
    NibBuilder nib;
    nib.object(pair.cls->name, "view").setString("frame", "{{0, 0}, {20, 200}}");
    const std::string xml = nib.xml();
    RefPtr<NSNib> loaded = adopt(NSNib::alloc()->initWithNibData_bundle(
        NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
    NSArray* objects = nullptr;
    ASSERT_TRUE(loaded->instantiateWithOwner_topLevelObjects(nullptr, &objects));
    auto* view = static_cast<NSUIGradientView*>(objects->objectAtIndex(0));
    EXPECT_NEAR(view->startColor()->whiteComponent(), pair.bottom, 1e-9) << pair.cls->name;
    EXPECT_NEAR(view->endColor()->whiteComponent(), pair.top, 1e-9);
    RefPtr<NSBitmapImageRep> drawn = renderView(view);
    EXPECT_TRUE(
        near(pixelAt(drawn.get(), 10, 2), grey(pair.bottom), grey(pair.bottom), grey(pair.bottom), 255, 4))
        << pair.cls->name << pixelAt(drawn.get(), 10, 2);
    EXPECT_TRUE(near(pixelAt(drawn.get(), 10, 198), grey(pair.top), grey(pair.top), grey(pair.top), 255, 4))
        << pair.cls->name;
  }
}

TEST(NSUIGradientView, NewColoursRedrawAndABorderFollowsTheSize) {
  objc::AutoreleasePool pool;
  RefPtr<NSUIGradientView> view = make<NSUIGradientView>(NSMakeRect(0, 0, 100, 40));
  renderView(view.get());
  view->setStartColor(NSColor::redColor());
  EXPECT_TRUE(view->needsDisplay());
  EXPECT_TRUE(view->endColor()->isEqual(NSColor::darkGrayColor()));
  RefPtr<NSBitmapImageRep> red = renderView(view.get());
  EXPECT_TRUE(near(pixelAt(red.get(), 50, 1), 250, 3, 3, 255, 6)) << pixelAt(red.get(), 50, 1);
  EXPECT_TRUE(near(pixelAt(red.get(), 50, 39), 87, 87, 87, 255, 6)) << "the same top colour";

  view->setBorderColor(NSColor::whiteColor());
  EXPECT_FALSE(view->needsDisplay()) << "the border colour does not mark the view";
  view->setFrameSize(NSMakeSize(150, 40));
  EXPECT_EQ(view->border()->bounds().size.width, 150);
  RefPtr<NSBitmapImageRep> wide = renderView(view.get());
  EXPECT_GT(pixelAt(wide.get(), 149, 0).g, 100) << "a white line along the new width";
}

}  // namespace
