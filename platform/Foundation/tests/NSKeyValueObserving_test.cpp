#include <Foundation/NSKeyValueObserving.h>

#include <string>
#include <vector>

#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNull.h>
#include <gtest/gtest.h>

class Person : public NSObject {
  OBJC_CLASS_DECL(Person, NSObject)

 public:
  NSString* firstName() const { return mFirstName.get(); }
  void setFirstName(NSString* name) { mFirstName = RefPtr(name); }
  NSString* lastName() const { return mLastName.get(); }
  void setLastName(NSString* name) { mLastName = RefPtr(name); }
  NSString* fullName() const {
    return NSString::stringWithFormat(NSSTR("%@ %@"), mFirstName.get(), mLastName.get());
  }
  Person* partner() const { return mPartner.get(); }
  void setPartner(Person* partner) { mPartner = RefPtr(partner); }

 private:
  RefPtr<NSString> mFirstName{NSSTR("Ada")};
  RefPtr<NSString> mLastName{NSSTR("Byron")};
  RefPtr<Person> mPartner;
};
OBJC_CLASS_DEFINE(Person)
NS_PROPERTIES(Person, NS_PROPERTY("firstName", &Person::firstName, &Person::setFirstName),
              NS_PROPERTY("lastName", &Person::lastName, &Person::setLastName),
              NS_READONLY_PROPERTY("fullName", &Person::fullName),
              NS_PROPERTY("partner", &Person::partner, &Person::setPartner))
NS_DEPENDENT_KEYS(Person, "fullName", {"firstName", "lastName"})

// Records what it hears as "keyPath:old->new".
class Recorder : public NSObject {
 public:
  void observeValueForKeyPath_ofObject_change_context(NSString* keyPath, NSObject*, NSDictionary* change,
                                                      void* context) override {
    lastContext = context;
    std::string entry = keyPath->UTF8String();
    if (NSObject* prior = change->objectForKey(NSKeyValueChangeNotificationIsPriorKey)) {
      (void)prior;
      entry = "prior " + entry;
    }
    entry += ":" + text(change->objectForKey(NSKeyValueChangeOldKey)) + "->" +
             text(change->objectForKey(NSKeyValueChangeNewKey));
    EXPECT_EQ(static_cast<NSNumber*>(change->objectForKey(NSKeyValueChangeKindKey))->intValue(),
              int(NSKeyValueChangeSetting));
    heard.push_back(entry);
  }
  std::vector<std::string> heard;
  void* lastContext = nullptr;

 private:
  static std::string text(NSObject* value) {
    if (!value) return "";
    if (value == NSNull::null()) return "null";
    return static_cast<NSString*>(value)->UTF8String();
  }
};

namespace {

const NSKeyValueObservingOptions kOldAndNew = NSKeyValueObservingOptionOld | NSKeyValueObservingOptionNew;

struct Fixture : ::testing::Test {
  objc::AutoreleasePool pool;
  RefPtr<Person> person = adopt(Person::alloc());
  RefPtr<Recorder> recorder = adopt(new Recorder());
};

TEST_F(Fixture, WillAndDidBracketAChangeWithOldAndNewValues) {
  int context = 0;
  person->addObserver_forKeyPath_options_context(recorder.get(), NSSTR("firstName"), kOldAndNew, &context);
  person->willChangeValueForKey(NSSTR("firstName"));
  person->setFirstName(NSSTR("Grace"));
  person->didChangeValueForKey(NSSTR("firstName"));
  // Setting through key-value coding announces itself.
  person->setValue_forKey(NSSTR("Ida"), NSSTR("firstName"));
  person->setValue_forKey(NSSTR("Lovelace"), NSSTR("lastName"));
  EXPECT_EQ(recorder->heard, (std::vector<std::string>{"firstName:Ada->Grace", "firstName:Grace->Ida"}));
  EXPECT_EQ(recorder->lastContext, &context);
}

TEST_F(Fixture, DependentKeysAndKeyPathsAreAnnouncedByTheKeysTheyHangOn) {
  person->addObserver_forKeyPath_options_context(recorder.get(), NSSTR("fullName"), kOldAndNew, nullptr);
  person->addObserver_forKeyPath_options_context(recorder.get(), NSSTR("partner.firstName"),
                                                 NSKeyValueObservingOptionNew, nullptr);
  person->setValue_forKey(NSSTR("Lovelace"), NSSTR("lastName"));
  RefPtr<Person> partner = adopt(Person::alloc());
  partner->setFirstName(NSSTR("William"));
  person->setValue_forKey(partner.get(), NSSTR("partner"));
  EXPECT_EQ(recorder->heard,
            (std::vector<std::string>{"fullName:Ada Byron->Ada Lovelace", "partner.firstName:->William"}));
}

TEST_F(Fixture, OptionsShapeTheNotifications) {
  person->addObserver_forKeyPath_options_context(
      recorder.get(), NSSTR("firstName"),
      NSKeyValueObservingOptionInitial | NSKeyValueObservingOptionPrior | kOldAndNew, nullptr);
  person->setValue_forKey(NSSTR("Grace"), NSSTR("firstName"));
  EXPECT_EQ(recorder->heard,
            (std::vector<std::string>{"firstName:->Ada", "prior firstName:Ada->", "firstName:Ada->Grace"}));
}

TEST_F(Fixture, RemovedAndDestroyedObserversHearNothing) {
  person->addObserver_forKeyPath_options_context(recorder.get(), NSSTR("firstName"), 0, nullptr);
  person->removeObserver_forKeyPath(recorder.get(), NSSTR("firstName"));
  person->setValue_forKey(NSSTR("Grace"), NSSTR("firstName"));
  EXPECT_TRUE(recorder->heard.empty());

  RefPtr<Recorder> shortLived = adopt(new Recorder());
  person->addObserver_forKeyPath_options_context(shortLived.get(), NSSTR("firstName"), 0, nullptr);
  shortLived = nullptr;
  person->setValue_forKey(NSSTR("Ida"), NSSTR("firstName"));  // would reach freed memory

  // Removing what was never added is reported.
  try {
    person->removeObserver_forKeyPath(recorder.get(), NSSTR("lastName"));
    FAIL() << "no exception";
  } catch (const NSException::Raised& raised) {
    EXPECT_TRUE(raised.exception()->name()->isEqualToString(NSRangeException));
  }
}

}  // namespace
