#include <Foundation/NSKeyValueBinding.h>

#include <string>
#include <vector>

#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSValueTransformer.h>
#include <gtest/gtest.h>

// A table that learns a default from each bound element when it is observed, as a language
// table captures the texts of its nib's elements.
class Table : public NSObject {
  OBJC_CLASS_DECL(Table, NSObject)

 public:
  void addObserver_forKeyPath_options_context(NSObject* observer, NSString* keyPath, unsigned long options,
                                              void* context) override {
    events.push_back(std::string("observe ") + keyPath->UTF8String());
    if (observer->respondsToSelector(SELECTOR("object"))) {
      NSObject* element = observer->performSelector(SELECTOR("object"));
      if (NSObject* title = element->valueForKey(NSSTR("title"))) mDefaults->setObject_forKey(title, keyPath);
    }
    NSObject::addObserver_forKeyPath_options_context(observer, keyPath, options, context);
  }
  NSObject* valueForKeyPath(NSString* keyPath) override {
    events.push_back(std::string("read ") + keyPath->UTF8String());
    if (NSObject* value = mCurrent->objectForKey(keyPath)) return value;
    return mDefaults->objectForKey(keyPath);
  }
  void setText(NSString* keyPath, NSString* text) {
    willChangeValueForKey(NSSTR("app"));
    mCurrent->setObject_forKey(text, keyPath);
    didChangeValueForKey(NSSTR("app"));
  }
  std::vector<std::string> events;

 private:
  RefPtr<NSMutableDictionary> mDefaults{NSMutableDictionary::dictionary()};
  RefPtr<NSMutableDictionary> mCurrent{NSMutableDictionary::dictionary()};
};
OBJC_CLASS_DEFINE(Table)

class Label : public NSObject {
  OBJC_CLASS_DECL(Label, NSObject)

 public:
  NSString* title() const { return mTitle.get(); }
  void setTitle(NSString* title) { mTitle = RefPtr(title); }

 private:
  RefPtr<NSString> mTitle{NSSTR("Quit")};
};
OBJC_CLASS_DEFINE(Label)
NS_PROPERTIES(Label, NS_PROPERTY("title", &Label::title, &Label::setTitle))

class Shouting : public NSValueTransformer {
  OBJC_CLASS_DECL(Shouting, NSValueTransformer)

 public:
  NSObject* transformedValue(NSObject* value) override {
    return value ? NSString::stringWithFormat(NSSTR("%@!"), value) : nullptr;
  }
};
OBJC_CLASS_DEFINE(Shouting)

namespace {

struct Fixture : ::testing::Test {
  objc::AutoreleasePool pool;
  RefPtr<Table> table = adopt(Table::alloc());
  RefPtr<Label> label = adopt(Label::alloc());
};

TEST_F(Fixture, ObservesBeforeItsFirstReadAndFollowsChanges) {
  label->bind_toObject_withKeyPath_options(NSSTR("title"), table.get(), NSSTR("app.quit"), nullptr);
  ASSERT_GE(table->events.size(), 2u);
  EXPECT_EQ(table->events[0], "observe app.quit");
  EXPECT_EQ(table->events[1], "read app.quit");
  // The text captured at observation came back as the first value.
  EXPECT_TRUE(label->title()->isEqualToString(NSSTR("Quit")));
  table->setText(NSSTR("app.quit"), NSSTR("Beenden"));
  EXPECT_TRUE(label->title()->isEqualToString(NSSTR("Beenden")));

  NSDictionary* info = label->infoForBinding(NSSTR("title"));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->objectForKey(NSObservedObjectKey), table.get());
  label->unbind(NSSTR("title"));
  EXPECT_EQ(label->infoForBinding(NSSTR("title")), nullptr);
  table->setText(NSSTR("app.quit"), NSSTR("Quitter"));
  EXPECT_TRUE(label->title()->isEqualToString(NSSTR("Beenden")));
}

TEST_F(Fixture, AppliesATransformerNamedInTheOptions) {
  RefPtr<Shouting> shouting = adopt(Shouting::alloc());
  NSValueTransformer::setValueTransformer_forName(shouting.get(), NSSTR("Shouting"));
  label->bind_toObject_withKeyPath_options(
      NSSTR("title"), table.get(), NSSTR("app.quit"),
      NSDictionary::dictionaryWithObject_forKey(NSSTR("Shouting"), NSValueTransformerNameBindingOption));
  EXPECT_TRUE(label->title()->isEqualToString(NSSTR("Quit!")));
  EXPECT_THROW(label->bind_toObject_withKeyPath_options(
                   NSSTR("title"), table.get(), NSSTR("app.quit"),
                   NSDictionary::dictionaryWithObject_forKey(NSSTR("Nobody"), NSValueTransformerNameBindingOption)),
               NSException::Raised);
}

TEST_F(Fixture, EndsWhenTheElementGoes) {
  label->bind_toObject_withKeyPath_options(NSSTR("title"), table.get(), NSSTR("app.quit"), nullptr);
  label = nullptr;
  table->setText(NSSTR("app.quit"), NSSTR("Beenden"));  // would reach the freed label
  SUCCEED();
}

}  // namespace
