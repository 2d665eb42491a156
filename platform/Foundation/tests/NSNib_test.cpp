#include <Foundation/NSNib.h>

#include <algorithm>
#include <string>
#include <vector>

#include <Foundation/NSArray.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSData.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NibBuilder.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>
#include <objc/WeakPtr.h>

namespace {
std::vector<std::string> events;
int partsAlive = 0;
}

// Records how it was made and what it had when it woke.
class Part : public NSObject {
  OBJC_CLASS_DECL(Part, NSObject)

 public:
  Part() { ++partsAlive; }
  ~Part() override { --partsAlive; }
  NSObject* init() override {
    events.push_back("init");
    return this;
  }
  NSObject* initWithCoder(NSCoder* coder) override {
    mTitle = RefPtr(static_cast<NSString*>(coder->decodeObjectForKey(NSSTR("title"))));
    mTag = coder->decodeIntegerForKey(NSSTR("tag"));
    mInner = RefPtr(coder->decodeObjectForKey(NSSTR("inner")));
    events.push_back(std::string("decode ") + (mTitle ? mTitle->UTF8String() : "?"));
    return this;
  }
  void awakeFromNib() override {
    events.push_back(std::string("awake ") + (mTitle ? mTitle->UTF8String() : "owner") +
                     (mPeer.get() ? " with peer" : "") + (mTarget.get() ? " with target" : ""));
  }
  SEL action() const { return mAction; }
  void setAction(SEL action) { mAction = action; }

  RefPtr<NSString> mTitle;
  NSInteger mTag = 0;
  RefPtr<NSObject> mInner;
  WeakPtr<Part> mPeer;
  WeakPtr<NSObject> mTarget;
  SEL mAction = nullptr;
};
OBJC_CLASS_DEFINE(Part)
NS_PROPERTIES(Part, NS_OUTLET("peer", &Part::mPeer), NS_OUTLET("target", &Part::mTarget),
              NS_PROPERTY("action", &Part::action, &Part::setAction))

// A class whose instances all resolve to one shared object, as nib singletons do.
class Shared : public Part {
  OBJC_CLASS_DECL(Shared, Part)

 public:
  struct Meta : Part::Meta {
    NSObject* allocWithZone(Class cls) const override {
      static NSObject* instance = [cls] {
        NSObject* made = cls->allocate();
        made->makeImmortal();
        return made;
      }();
      return instance;
    }
  };
};
OBJC_CLASS_DEFINE(Shared)

struct NibFixture : ::testing::Test {
  NibFixture() { events.clear(); }
  moxicam::test::TemporaryRoot root;
  objc::AutoreleasePool pool;
  std::string bundlePath = root.path() + "/Test.bundle";
  std::string resources = bundlePath + "/Contents/Resources/";

  NSBundle* bundle() {
    root.writeFile("Test.bundle/Contents/Info.plist",
                   "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
                   "<string>com.example.test</string></dict></plist>");
    return NSBundle::bundleWithPath(NSString::stringWithUTF8String(bundlePath.c_str()));
  }
};

TEST_F(NibFixture, ConnectsEverythingBeforeAnyObjectOrTheOwnerWakes) {
  NibBuilder nib;
  nib.object("Part", "first").setString("title", "first").setInteger("tag", 4).object("inner", "Part").setString("title", "inner");
  nib.object("Part", "second").setString("title", "second");
  nib.outlet("first", "peer", "second");
  nib.outlet("owner", "peer", "first");
  nib.action("second", "installSender:", "owner");
  ASSERT_TRUE(nib.writeToFile(resources + "Panel.nib"));

  RefPtr<Part> owner = adopt(Part::alloc());
  NSArray* topLevel = nullptr;
  ASSERT_TRUE(bundle()->loadNibNamed_owner_topLevelObjects(NSSTR("Panel"), owner.get(), &topLevel));
  // "first" decodes "inner" while it is being made; nothing wakes before all is connected.
  EXPECT_EQ(events, (std::vector<std::string>{"decode inner", "decode first", "decode second", "awake inner",
                                              "awake first with peer", "awake second with target",
                                              "awake owner with peer"}));
  ASSERT_EQ(topLevel->count(), 2u);
  auto* first = static_cast<Part*>(topLevel->objectAtIndex(0));
  auto* second = static_cast<Part*>(topLevel->objectAtIndex(1));
  EXPECT_EQ(first->mTag, 4);
  EXPECT_EQ(first->mPeer.get().get(), second);
  EXPECT_EQ(owner->mPeer.get().get(), first);
  EXPECT_EQ(second->mTarget.get().get(), owner.get());
  EXPECT_EQ(second->action(), SELECTOR("installSender:"));
}

TEST_F(NibFixture, WiresTheObjectThatInitAnswers) {
  RefPtr<NSObject> existing = adopt(Shared::alloc()->init());
  events.clear();
  NibBuilder nib;
  nib.object("Shared", "shared").setString("title", "shared");
  nib.object("Shared", "again").setString("title", "shared");
  nib.outlet("owner", "peer", "again");
  RefPtr<Part> owner = adopt(Part::alloc());
  std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  ASSERT_TRUE(loaded->instantiateWithOwner_topLevelObjects(owner.get(), nullptr));
  EXPECT_EQ(owner->mPeer.get().get(), existing.get());
  // One object, awakened once however often the nib names it.
  EXPECT_EQ(std::count(events.begin(), events.end(), "awake shared"), 1);
}

TEST_F(NibFixture, InstantiatesAClassThatOnlyTheNibNames) {
  NibBuilder nib;
  nib.object("NibOnlyWidget", "widget");
  ASSERT_TRUE(nib.writeToFile(resources + "Widget.nib"));
  NSArray* topLevel = nullptr;
  ASSERT_TRUE(bundle()->loadNibNamed_owner_topLevelObjects(NSSTR("Widget"), nullptr, &topLevel));
  ASSERT_EQ(topLevel->count(), 1u);
  EXPECT_STREQ(topLevel->objectAtIndex(0)->className(), "NibOnlyWidget");
}

TEST_F(NibFixture, AMissingNibFailsQuietlyAndABadOneRaises) {
  EXPECT_EQ(NSNib::alloc()->initWithNibNamed_bundle(NSSTR("Absent"), bundle()), nullptr);
  NSArray* topLevel = nullptr;
  EXPECT_FALSE(bundle()->loadNibNamed_owner_topLevelObjects(NSSTR("Absent"), nullptr, &topLevel));

  const char* broken[] = {
      "<nib><object class=\"Part\">",                                                  // not XML
      "<plist/>",                                                                       // not a nib
      "<nib><object class=\"NoSuchClass\"/></nib>",                                     // unknown class
      "<nib><object class=\"Part\" id=\"a\"/><object class=\"Part\" id=\"a\"/></nib>",  // duplicate id
      "<nib><connections><outlet source=\"owner\" key=\"peer\" destination=\"x\"/></connections></nib>",
      "<nib><object class=\"Part\"><integer key=\"tag\">four</integer></object></nib>",
  };
  int index = 0;
  for (const char* text : broken) {
    std::string name = "Broken" + std::to_string(index++);
    root.writeFile("Test.bundle/Contents/Resources/" + name + ".nib", text);
    try {
      bundle()->loadNibNamed_owner_topLevelObjects(NSString::stringWithUTF8String(name.c_str()), nullptr, &topLevel);
      ADD_FAILURE() << text;
    } catch (const NSException::Raised& raised) {
      EXPECT_TRUE(raised.exception()->name()->isEqualToString(NSInternalInconsistencyException)) << text;
    }
  }
}

TEST_F(NibFixture, ObjectsMadeBeforeABadValueRaisesAreFreed) {
  const int before = partsAlive;
  // The inner object raises while the outer one is still being made: neither may stay behind.
  root.writeFile("Test.bundle/Contents/Resources/BadInner.nib",
                 "<nib><object class=\"Part\"><string key=\"title\">outer</string>"
                 "<object key=\"inner\" class=\"Part\"><integer key=\"tag\">four</integer></object></object></nib>");
  NSArray* topLevel = nullptr;
  EXPECT_THROW(bundle()->loadNibNamed_owner_topLevelObjects(NSSTR("BadInner"), nullptr, &topLevel),
               NSException::Raised);
  EXPECT_EQ(partsAlive, before);
}
