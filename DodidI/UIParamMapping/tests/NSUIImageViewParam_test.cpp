#include "NSUIImageViewParam.h"

#include <AppKit/AppKit.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSData.h>
#include <Foundation/NSNib.h>
#include <Foundation/NSURL.h>
#include <Foundation/NSValue.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>

#include <cstdlib>
#include <string>

#include "OffscreenDrawing.h"

const char* g_CoreMachDebug_LogPrefix = "ImageViewParamTest";
const char* g_CoreMachDebug_LogFileName = "ImageViewParamTest.log";

namespace {

// Counts the well's actions; caches one web URL as a file.
class Receiver : public NSObject, public NSUIDropViewParamURLDelegate {
  OBJC_CLASS_DECL(Receiver, NSObject)
 public:
  void changed(NSObject* sender) {
    ++count;
    last = sender;
  }
  NSString* getURLCachedPathName(NSURL* url) override {
    return url->absoluteString()->isEqualToString(NSSTR("http://example.invalid/cached.pdf"))
               ? cachedPath.get()
               : nullptr;
  }
  int count = 0;
  NSObject* last = nullptr;
  RefPtr<NSString> cachedPath;
};

}  // namespace

OBJC_CLASS_DEFINE(Receiver)
OBJC_METHODS(Receiver, OBJC_METHOD("changed:", &Receiver::changed))

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

using moxicam::test::near;
using moxicam::test::PDFShape;
using moxicam::test::pixelAt;
using moxicam::test::renderView;
using moxicam::test::writeShapePDF;

std::string resources() { return NSBundle::mainBundle()->resourcePath()->UTF8String(); }

NSString* string(const std::string& text) { return NSString::stringWithUTF8String(text.c_str()); }

class ImageViewParam : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(writeShapePDF(resources() + "/ImageViewParamRed.pdf", 20, 20, PDFShape::Rectangle, 1, 0, 0));
    ASSERT_TRUE(
        writeShapePDF(resources() + "/ImageViewParamGreen.pdf", 20, 20, PDFShape::Rectangle, 0, 1, 0));
    ASSERT_TRUE(
        writeShapePDF(std::string(std::getenv("HOME")) + "/blue.pdf", 20, 20, PDFShape::Rectangle, 0, 0, 1));
  }

  void SetUp() override {
    well = adopt(static_cast<NSUIImageViewParam*>(
        NSUIImageViewParam::alloc()->initWithFrame(NSMakeRect(0, 0, 40, 40))));
    receiver = adopt(static_cast<Receiver*>(Receiver::alloc()->init()));
    receiver->cachedPath = RefPtr<NSString>(bluePath());
    well->setTarget(receiver.get());
    well->setAction(sel_registerName("changed:"));
    presets = adopt(static_cast<NSPopUpButton*>(
        NSPopUpButton::alloc()->initWithFrame_pullsDown(NSMakeRect(0, 0, 80, 20), true)));
    presets->addItemWithTitle(NSSTR("Presets"));
  }

  static NSString* bluePath() { return string(std::string(std::getenv("HOME")) + "/blue.pdf"); }

  // The colour the well shows in its middle.
  moxicam::test::Pixel centre() { return pixelAt(renderView(well.get()).get(), 20, 20); }

  std::vector<std::string> checked() {
    std::vector<std::string> titles;
    for (NSInteger i = 0; i < presets->numberOfItems(); ++i) {
      if (presets->itemAtIndex(i)->state() == NSOnState)
        titles.push_back(presets->itemAtIndex(i)->title()->UTF8String());
    }
    return titles;
  }

  RefPtr<NSUIImageViewParam> well;
  RefPtr<Receiver> receiver;
  RefPtr<NSPopUpButton> presets;
};

TEST_F(ImageViewParam, EachKindOfReferenceShowsItsPicture) {
  objc::AutoreleasePool pool;
  const std::string fileURL = "file://" + std::string(bluePath()->UTF8String());
  struct Case {
    const char* what;
    std::string contents;
    NSUIDropViewParamContentsType type;
    int r, g, b;
  } cases[] = {
      {"resource name", "ImageViewParamRed", kNSUIDropViewParamName, 255, 0, 0},
      {"resource name with its extension", "ImageViewParamGreen.pdf", kNSUIDropViewParamName, 0, 255, 0},
      {"file path", bluePath()->UTF8String(), kNSUIDropViewParamPath, 0, 0, 255},
      {"file URL", fileURL, kNSUIDropViewParamURL, 0, 0, 255},
  };
  for (const Case& c : cases) {
    well->setContents_type(string(c.contents), c.type);
    EXPECT_STREQ(NSDynamicCast<NSString>(well->contents())->UTF8String(), c.contents.c_str()) << c.what;
    EXPECT_EQ(well->contentsType(), c.type) << c.what;
    ASSERT_NE(well->image(), nullptr) << c.what;
    EXPECT_TRUE(near(centre(), c.r, c.g, c.b, 255)) << c.what << ": " << centre();
  }
  EXPECT_EQ(receiver->count, 0) << "setting contents directly is no change of the parameter";
}

TEST_F(ImageViewParam, AReferenceToNothingKeepsTheReferenceAndShowsNothing) {
  objc::AutoreleasePool pool;
  struct Case {
    const char* what;
    const char* contents;
    NSUIDropViewParamContentsType type;
  } cases[] = {
      {"unknown resource", "ImageViewParamNowhere", kNSUIDropViewParamName},
      {"missing file", "/nonexistent/picture.pdf", kNSUIDropViewParamPath},
      {"no URL at all", "not a url", kNSUIDropViewParamURL},
      {"a web URL, never fetched here", "http://example.invalid/picture.pdf", kNSUIDropViewParamURL},
      {"no kind", "ImageViewParamRed", kNSUIDropViewParamNone},
  };
  for (const Case& c : cases) {
    well->setContents_type(NSSTR("ImageViewParamRed"), kNSUIDropViewParamName);
    well->setContents_type(NSString::stringWithUTF8String(c.contents), c.type);
    EXPECT_STREQ(NSDynamicCast<NSString>(well->contents())->UTF8String(), c.contents) << c.what;
    EXPECT_EQ(centre().a, 0) << c.what << ": " << centre();
  }
  // No kind shows an empty image rather than none.
  ASSERT_NE(well->image(), nullptr);
  EXPECT_FALSE(well->image()->isValid());
}

TEST_F(ImageViewParam, AnImageSetDirectlyHasNoReference) {
  objc::AutoreleasePool pool;
  well->setContents_type(NSSTR("ImageViewParamRed"), kNSUIDropViewParamName);
  NSImage* green = NSImage::imageNamed(NSSTR("ImageViewParamGreen"));
  well->setImage(green);
  EXPECT_EQ(well->contents(), nullptr);
  EXPECT_EQ(well->contentsType(), kNSUIDropViewParamNone);
  EXPECT_EQ(well->image(), green);
  EXPECT_TRUE(near(centre(), 0, 255, 0, 255));
  well->setImage(nullptr);
  EXPECT_EQ(well->image(), nullptr);
  well->setContents_type(NSSTR("ImageViewParamRed"), kNSUIDropViewParamName);
  well->clearContents();
  EXPECT_EQ(well->contents(), nullptr);
  EXPECT_EQ(well->contentsType(), kNSUIDropViewParamNone);
  EXPECT_EQ(well->image(), nullptr);
}

TEST_F(ImageViewParam, DropParametersSendTheActionAndFollowTheURLCache) {
  objc::AutoreleasePool pool;
  well->setContentsURLDelegate(receiver.get());
  category_NSUIDropViewParam::setPathParamValue(well.get(), bluePath());
  EXPECT_EQ(receiver->count, 1);
  EXPECT_EQ(receiver->last, well.get());
  EXPECT_TRUE(category_NSUIDropViewParam::pathParamValue(well.get())->isEqualToString(bluePath()));
  EXPECT_EQ(category_NSUIDropViewParam::nameParamValue(well.get()), nullptr);

  // A cached web URL is kept as its file, which shows.
  category_NSUIDropViewParam::setURLParamValue(well.get(), NSSTR("http://example.invalid/cached.pdf"));
  EXPECT_EQ(receiver->count, 2);
  EXPECT_EQ(well->contentsType(), kNSUIDropViewParamPath);
  EXPECT_TRUE(near(centre(), 0, 0, 255, 255));
  category_NSUIDropViewParam::setURLParamValue(well.get(), NSSTR("http://example.invalid/other.pdf"));
  EXPECT_EQ(receiver->count, 3);
  EXPECT_STREQ(category_NSUIDropViewParam::URLParamValue(well.get())->UTF8String(),
               "http://example.invalid/other.pdf");
  category_NSUIDropViewParam::setURLParamValue(well.get(), NSSTR("not a url"));
  EXPECT_EQ(receiver->count, 3) << "a string that is no URL changes nothing";
  EXPECT_EQ(well->contentsType(), kNSUIDropViewParamURL);
}

TEST_F(ImageViewParam, PresetsPickResourcesAndCarryTheCheckMark) {
  objc::AutoreleasePool pool;
  well->setOutletPresets(presets.get());
  well->setPresetsMenuResourceFileNames(NSArray::arrayWithObjects({NSSTR("Old")}));
  well->setPresetsMenuResourceFileNames(
      NSArray::arrayWithObjects({NSSTR("ImageViewParamRed"), NSSTR("ImageViewParamGreen")}));
  ASSERT_EQ(presets->numberOfItems(), 3);
  EXPECT_STREQ(presets->itemAtIndex(0)->title()->UTF8String(), "Presets") << "the title item stays";
  for (NSInteger i = 1; i < 3; ++i) {
    NSMenuItem* item = presets->itemAtIndex(i);
    EXPECT_EQ(item->target(), well.get());
    EXPECT_EQ(item->action(), sel_registerName("setImageNamedBySenderTitle:"));
    EXPECT_STREQ(item->keyEquivalent()->UTF8String(), "");
  }

  presets->performClickOnItemAtIndex(2);
  EXPECT_STREQ(category_NSUIDropViewParam::nameParamValue(well.get())->UTF8String(), "ImageViewParamGreen");
  EXPECT_EQ(receiver->count, 1);
  EXPECT_TRUE(near(centre(), 0, 255, 0, 255));
  EXPECT_EQ(checked(), std::vector<std::string>{"ImageViewParamGreen"});

  well->setContents_type(NSSTR("ImageViewParamRed"), kNSUIDropViewParamName);
  EXPECT_EQ(checked(), std::vector<std::string>{"ImageViewParamRed"})
      << "a name set from code is checked too";
  category_NSUIDropViewParam::setPathParamValue(well.get(), bluePath());
  EXPECT_TRUE(checked().empty()) << "a path is no preset";
  well->setContents_type(NSSTR("ImageViewParamNowhere"), kNSUIDropViewParamName);
  EXPECT_TRUE(checked().empty()) << "a name of no preset checks none";
}

TEST_F(ImageViewParam, PresetListsWithoutMenuOrWithBadNamesLoseNothing) {
  objc::AutoreleasePool pool;
  EXPECT_EQ(well->removeAllCurrentPresetMenuItems(), nullptr) << "no presets pop-up";
  well->setPresetsMenuResourceFileNames(NSArray::arrayWithObjects({NSSTR("ImageViewParamRed")}));

  well->setOutletPresets(presets.get());
  EXPECT_EQ(well->removeAllCurrentPresetMenuItems(), presets->menu());
  EXPECT_EQ(presets->numberOfItems(), 1) << "a menu of only its title item is left as it is";

  // A name that is no string ends the list; the items before it stay.
  well->setPresetsMenuResourceFileNames(NSArray::arrayWithObjects(
      {NSSTR("ImageViewParamRed"), NSNumber::numberWithInt(3), NSSTR("ImageViewParamGreen")}));
  ASSERT_EQ(presets->numberOfItems(), 2);
  EXPECT_STREQ(presets->itemAtIndex(1)->title()->UTF8String(), "ImageViewParamRed");
  well->setPresetsMenuResourceFileNames(nullptr);
  EXPECT_EQ(presets->numberOfItems(), 1);

  // The pop-up going away leaves the well without presets.
  presets = nullptr;
  EXPECT_EQ(well->outletPresets(), nullptr);
  well->setContents_type(NSSTR("ImageViewParamRed"), kNSUIDropViewParamName);
  EXPECT_TRUE(near(centre(), 255, 0, 0, 255));
}

TEST_F(ImageViewParam, NibOutletsConnectThePresetsAndTheURLDelegate) {
  objc::AutoreleasePool pool;
  NibBuilder nib;
  nib.object("NSUIImageViewParam", "well").setString("frame", "{{0, 0}, {40, 40}}");
  nib.object("NSPopUpButton", "presets").setString("frame", "{{0, 0}, {80, 20}}");
  nib.outlet("well", "outletPresets", "presets");
  nib.outlet("well", "contentsURLDelegate", NibBuilder::owner);
  const std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(
      NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  NSArray* objects = nullptr;
  ASSERT_TRUE(loaded->instantiateWithOwner_topLevelObjects(receiver.get(), &objects));
  auto* loadedWell = NSDynamicCast<NSUIImageViewParam>(objects->objectAtIndex(0));
  ASSERT_NE(loadedWell, nullptr);
  EXPECT_EQ(loadedWell->outletPresets(), objects->objectAtIndex(1));
  EXPECT_EQ(loadedWell->contentsURLDelegate(), receiver.get());
}

TEST_F(ImageViewParam, URLsDroppedFromElsewhereBecomeTheReference) {
  objc::AutoreleasePool pool;
  well->setContentsURLDelegate(receiver.get());
  well->awakeFromNib();
  EXPECT_TRUE(well->registeredDraggedTypes()->isEqual(NSArray::arrayWithObject(NSURLPboardType)));
  struct Case {
    const char* what;
    NSURL* url;
    NSUIDropViewParamContentsType type;
    std::string contents;
  } cases[] = {
      {"a file", NSURL::fileURLWithPath(bluePath()), kNSUIDropViewParamPath, bluePath()->UTF8String()},
      {"a web URL", NSURL::URLWithString(NSSTR("http://example.invalid/picture.pdf")), kNSUIDropViewParamURL,
       "http://example.invalid/picture.pdf"},
      {"a cached web URL", NSURL::URLWithString(NSSTR("http://example.invalid/cached.pdf")),
       kNSUIDropViewParamPath, bluePath()->UTF8String()},
  };
  int sent = 0;
  for (const Case& c : cases) {
    NSPasteboard* board = NSPasteboard::pasteboardWithUniqueName();
    board->declareTypes_owner(NSArray::arrayWithObject(NSURLPboardType), nullptr);
    NSPasteboardSupport::writeToPasteboard(c.url, board);
    RefPtr<NSDraggingSession> drag = adopt(static_cast<NSDraggingSession*>(
        NSDraggingSession::alloc()->initWithPasteboard_source(board, nullptr)));
    EXPECT_EQ(well->draggingEntered(drag.get()), NSDragOperationCopy) << c.what;
    EXPECT_TRUE(well->performDragOperation(drag.get())) << c.what;
    EXPECT_EQ(well->contentsType(), c.type) << c.what;
    EXPECT_STREQ(NSDynamicCast<NSString>(well->contents())->UTF8String(), c.contents.c_str()) << c.what;
    EXPECT_EQ(receiver->count, ++sent) << c.what << ": the action once";
  }
  EXPECT_TRUE(near(centre(), 0, 0, 255, 255));
}

TEST_F(ImageViewParam, DropsWithoutAURLOrFromItselfAreTheImageViews) {
  objc::AutoreleasePool pool;
  well->awakeFromNib();
  well->setContents_type(NSSTR("ImageViewParamRed"), kNSUIDropViewParamName);
  NSPasteboard* text = NSPasteboard::pasteboardWithUniqueName();
  text->declareTypes_owner(NSArray::arrayWithObject(NSStringPboardType), nullptr);
  text->setString_forType(NSSTR("http://example.invalid/picture.pdf"), NSStringPboardType);
  NSPasteboard* url = NSPasteboard::pasteboardWithUniqueName();
  url->declareTypes_owner(NSArray::arrayWithObject(NSURLPboardType), nullptr);
  NSPasteboardSupport::writeToPasteboard(NSURL::fileURLWithPath(bluePath()), url);
  RefPtr<NSDraggingSession> drags[] = {
      adopt(static_cast<NSDraggingSession*>(
          NSDraggingSession::alloc()->initWithPasteboard_source(text, nullptr))),
      adopt(static_cast<NSDraggingSession*>(
          NSDraggingSession::alloc()->initWithPasteboard_source(url, well.get()))),
  };
  for (const RefPtr<NSDraggingSession>& drag : drags) {
    EXPECT_EQ(well->draggingEntered(drag.get()), NSDragOperationNone);
    EXPECT_FALSE(well->performDragOperation(drag.get())) << "a plain image view takes no drops";
  }
  EXPECT_STREQ(category_NSUIDropViewParam::nameParamValue(well.get())->UTF8String(), "ImageViewParamRed");
  EXPECT_EQ(receiver->count, 0);
}

TEST(ImageViewParamImport, AnswersTheDropParameterImport) { EXPECT_EQ(import_NSUIImageViewParam(), 1); }

}  // namespace
