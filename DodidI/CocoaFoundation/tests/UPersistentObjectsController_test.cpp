#include "UPersistentObjectsController.h"

#include <Foundation/NSApplicationLifecycle.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSUserDefaults.h>
#include <Foundation/NSValue.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>

#include <string>

#include "NSDictionary_PropertyListArchiving.h"

const char* g_CoreMachDebug_LogPrefix = "UPersistentObjectsControllerTest";
const char* g_CoreMachDebug_LogFileName = "UPersistentObjectsControllerTest.log";

// A controller with a few settings of different kinds; each object says which it keeps.
class Settings : public NSObject, public NSObject_PersistentObjectsController {
  OBJC_CLASS_DECL(Settings, NSObject)

 public:
  NSSet* persistentObjectKeyPaths() const override { return mKeyPaths.get(); }
  NSString* persistenceObjectKey() override {
    return mKey ? mKey.get() : NSObject_PersistentObjectsController::persistenceObjectKey();
  }
  double level() const { return mLevel; }
  void setLevel(double level) { mLevel = level; }

  RefPtr<NSSet> mKeyPaths;
  RefPtr<NSString> mKey;
  RefPtr<NSNumber> mA;
  RefPtr<NSString> mB;
  RefPtr<NSMutableDictionary> mInner{NSMutableDictionary::dictionary()};
  double mLevel = 0.5;
};
OBJC_CLASS_DEFINE(Settings)
NS_PROPERTIES(Settings, NS_OUTLET("a", &Settings::mA), NS_OUTLET("b", &Settings::mB),
              NS_OUTLET("inner", &Settings::mInner),
              NS_PROPERTY("level", &Settings::level, &Settings::setLevel))

// Fails whenever it is asked to load or save.
class BrokenSettings : public Settings {
  OBJC_CLASS_DECL(BrokenSettings, Settings)

 public:
  void persistentObjectLoadData() override {
    NSException::raise_format(NSGenericException, NSSTR("cannot load"));
  }
  void persistentObjectSaveData() override {
    NSException::raise_format(NSGenericException, NSSTR("cannot save"));
  }
};
OBJC_CLASS_DEFINE(BrokenSettings)

namespace {

NSSet* keyPaths(std::initializer_list<NSObject*> paths) { return NSSet::setWithObjects(paths); }

struct Persistence : ::testing::Test {
  Persistence() { NSUserDefaults::resetStandardUserDefaults(); }
  ~Persistence() override { NSUserDefaults::resetStandardUserDefaults(); }

  RefPtr<Settings> settings(NSSet* paths, NSString* key = nullptr) {
    RefPtr<Settings> made = adopt(static_cast<Settings*>(Settings::alloc()->init()));
    made->mKeyPaths = RefPtr(paths);
    made->mKey = RefPtr(key);
    return made;
  }
  // The record saved under the key, read back.
  NSDictionary* record(NSString* key) {
    NSData* data = NSUserDefaults::standardUserDefaults()->dataForKey(key);
    return NSDictionary_PropertyListArchiving::dictionaryWithPropertyListData_andKey(
        data, NSSTR("UPersistentObjectsController"));
  }
  void storeRecord(NSString* key, NSDictionary* values) {
    NSUserDefaults::standardUserDefaults()->setObject_forKey(
        NSDictionary_PropertyListArchiving::propertyListData(values, NSSTR("UPersistentObjectsController")),
        key);
  }

  moxicam::test::TemporaryRoot root;
  objc::AutoreleasePool pool;
};

TEST_F(Persistence, SavesTheNonNilValuesUnderTheClassName) {
  RefPtr<Settings> object = settings(keyPaths({NSSTR("a"), NSSTR("b"), NSSTR("inner.volume")}));
  object->mA = RefPtr(NSNumber::numberWithInt(5));
  object->mInner->setObject_forKey(NSNumber::numberWithDouble(0.25), NSSTR("volume"));
  object->persistentObjectSaveData();

  NSDictionary* saved = record(NSSTR("Settings"));
  ASSERT_NE(saved, nullptr);
  EXPECT_TRUE(saved->isEqualToDictionary(NSDictionary::dictionaryWithObjects_forKeys(
      {NSNumber::numberWithInt(5), NSNumber::numberWithDouble(0.25)}, {NSSTR("a"), NSSTR("inner.volume")})));

  RefPtr<Settings> restored = settings(keyPaths({NSSTR("a"), NSSTR("b"), NSSTR("inner.volume")}));
  restored->persistentObjectLoadData();
  EXPECT_EQ(restored->mA->intValue(), 5);
  EXPECT_EQ(restored->mB.get(), nullptr);
  EXPECT_TRUE(restored->mInner->objectForKey(NSSTR("volume"))->isEqual(NSNumber::numberWithDouble(0.25)));
}

TEST_F(Persistence, LoadsOnlyTheKeyPathsTheClassStillLists) {
  storeRecord(NSSTR("Settings"), NSDictionary::dictionaryWithObjects_forKeys(
                                     {NSNumber::numberWithInt(7), NSSTR("old"), NSNumber::numberWithInt(1)},
                                     {NSSTR("a"), NSSTR("b"), NSSTR("droppedLongAgo")}));
  RefPtr<Settings> object = settings(keyPaths({NSSTR("a")}));
  object->persistentObjectLoadData();
  EXPECT_EQ(object->mA->intValue(), 7);
  EXPECT_EQ(object->mB.get(), nullptr);
}

TEST_F(Persistence, KeyPathsThatAreNotASetKeepNothing) {
  RefPtr<Settings> object = settings(bridge_cast<NSSet*>(NSArray::arrayWithObject(NSSTR("a"))));
  object->mA = RefPtr(NSNumber::numberWithInt(5));
  EXPECT_EQ(object->persistentObjectKeyPathsOrNil()->count(), 0u);
  object->persistentObjectSaveData();
  EXPECT_EQ(NSUserDefaults::standardUserDefaults()->objectForKey(NSSTR("Settings")), nullptr);

  // Neither saving nor loading touches a record made when the class still listed its key paths.
  storeRecord(NSSTR("Settings"),
              NSDictionary::dictionaryWithObject_forKey(NSNumber::numberWithInt(8), NSSTR("a")));
  object->persistentObjectSaveData();
  NSDictionary* kept = record(NSSTR("Settings"));
  ASSERT_NE(kept, nullptr);
  EXPECT_TRUE(kept->objectForKey(NSSTR("a"))->isEqual(NSNumber::numberWithInt(8)));
  object->persistentObjectLoadData();
  EXPECT_EQ(object->mA->intValue(), 5);

  RefPtr<Settings> none = settings(nullptr);
  EXPECT_NE(none->persistentObjectKeyPathsOrNil(), nullptr);
  EXPECT_EQ(none->persistentObjectKeyPathsOrNil()->count(), 0u);
}

TEST_F(Persistence, AClearedSettingDoesNotComeBack) {
  RefPtr<Settings> object = settings(keyPaths({NSSTR("a")}));
  object->mA = RefPtr(NSNumber::numberWithInt(5));
  object->persistentObjectSaveData();
  object->mA = nullptr;
  object->persistentObjectSaveData();
  EXPECT_EQ(NSUserDefaults::standardUserDefaults()->objectForKey(NSSTR("Settings")), nullptr);

  RefPtr<Settings> restored = settings(keyPaths({NSSTR("a")}));
  restored->persistentObjectLoadData();
  EXPECT_EQ(restored->mA.get(), nullptr);
}

TEST_F(Persistence, AKeyPathThatRaisesCostsOnlyItself) {
  RefPtr<Settings> object = settings(keyPaths({NSSTR("a"), NSSTR("noSuchKey"), NSSTR("level")}));
  object->mA = RefPtr(NSNumber::numberWithInt(3));
  object->persistentObjectSaveData();
  NSDictionary* saved = record(NSSTR("Settings"));
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->count(), 2u);
  EXPECT_EQ(saved->objectForKey(NSSTR("noSuchKey")), nullptr);

  // A value of the wrong kind, an unknown key and a good one: only the good one is set.
  storeRecord(NSSTR("Settings"), NSDictionary::dictionaryWithObjects_forKeys(
                                     {NSSTR("loud"), NSNumber::numberWithInt(1), NSNumber::numberWithInt(9)},
                                     {NSSTR("level"), NSSTR("noSuchKey"), NSSTR("a")}));
  RefPtr<Settings> restored = settings(keyPaths({NSSTR("a"), NSSTR("noSuchKey"), NSSTR("level")}));
  restored->persistentObjectLoadData();
  EXPECT_EQ(restored->mA->intValue(), 9);
  EXPECT_EQ(restored->mLevel, 0.5);
}

TEST_F(Persistence, AnUnreadableRecordLeavesTheObjectAsBuilt) {
  const char* garbage = "not an archive";
  NSUserDefaults::standardUserDefaults()->setObject_forKey(NSData::dataWithBytes_length(garbage, 14),
                                                           NSSTR("Settings"));
  RefPtr<Settings> object = settings(keyPaths({NSSTR("a")}));
  object->persistentObjectLoadData();
  EXPECT_EQ(object->mA.get(), nullptr);

  storeRecord(NSSTR("Elsewhere"),
              NSDictionary::dictionaryWithObject_forKey(NSNumber::numberWithInt(4), NSSTR("a")));
  RefPtr<Settings> keyed = settings(keyPaths({NSSTR("a")}), NSSTR("Elsewhere"));
  keyed->persistentObjectLoadData();
  EXPECT_EQ(keyed->mA->intValue(), 4);
}

struct Controller : Persistence {
  Controller() {
    controller = UPersistentObjectsController::sharedPersistentObjectsController();
    controller->setObjects(NSMutableSet::set());
    controller->setWasLaunched(false);
  }
  void launch() {
    NSNotificationCenter::defaultCenter()->postNotificationName_object(
        NSApplicationWillFinishLaunchingNotification, nullptr);
  }
  void terminate() {
    NSNotificationCenter::defaultCenter()->postNotificationName_object(NSApplicationWillTerminateNotification,
                                                                       nullptr);
  }
  UPersistentObjectsController* controller = nullptr;
};

TEST_F(Controller, IsOneSharedInstance) {
  EXPECT_EQ(UPersistentObjectsController::sharedPersistentObjectsController(), controller);
  EXPECT_EQ(UPersistentObjectsController::alloc()->init(), controller);
}

TEST_F(Controller, RegistersOnlyObjectsThatTakePartAndEachOnce) {
  RefPtr<NSObject> plain = adopt(NSObject::alloc()->init());
  RefPtr<Settings> object = settings(keyPaths({NSSTR("a")}));
  controller->registerPersistentObject(plain.get());
  controller->registerPersistentObject(nullptr);
  controller->registerPersistentObject(object.get());
  controller->registerPersistentObject(object.get());
  EXPECT_EQ(controller->objects()->count(), 1u);
  EXPECT_TRUE(controller->objects()->containsObject(object.get()));
}

TEST_F(Controller, RestoresAtLaunchAndSavesAtTerminationEvenPastAFailingObject) {
  storeRecord(NSSTR("First"),
              NSDictionary::dictionaryWithObject_forKey(NSNumber::numberWithInt(1), NSSTR("a")));
  storeRecord(NSSTR("Second"),
              NSDictionary::dictionaryWithObject_forKey(NSNumber::numberWithInt(2), NSSTR("a")));
  RefPtr<Settings> first = settings(keyPaths({NSSTR("a")}), NSSTR("First"));
  RefPtr<Settings> second = settings(keyPaths({NSSTR("a")}), NSSTR("Second"));
  RefPtr<Settings> broken = adopt(static_cast<Settings*>(BrokenSettings::alloc()->init()));
  broken->mKeyPaths = RefPtr(keyPaths({NSSTR("a")}));
  for (Settings* object : {first.get(), broken.get(), second.get()})
    controller->registerPersistentObject(object);

  launch();
  EXPECT_TRUE(controller->wasLaunched());
  ASSERT_TRUE(first->mA && second->mA);
  EXPECT_EQ(first->mA->intValue(), 1);
  EXPECT_EQ(second->mA->intValue(), 2);

  first->mA = RefPtr(NSNumber::numberWithInt(10));
  second->mA = RefPtr(NSNumber::numberWithInt(20));
  terminate();
  EXPECT_EQ(record(NSSTR("First"))->objectForKey(NSSTR("a"))->isEqual(NSNumber::numberWithInt(10)), true);
  EXPECT_EQ(record(NSSTR("Second"))->objectForKey(NSSTR("a"))->isEqual(NSNumber::numberWithInt(20)), true);
}

TEST_F(Controller, AnObjectRegisteredAfterLaunchIsRestoredAtOnceAndSavedAtTermination) {
  storeRecord(NSSTR("Late"), NSDictionary::dictionaryWithObject_forKey(NSSTR("restored"), NSSTR("b")));
  launch();
  RefPtr<Settings> late = settings(keyPaths({NSSTR("b")}), NSSTR("Late"));
  controller->registerPersistentObject(late.get());
  ASSERT_TRUE(late->mB);
  EXPECT_STREQ(late->mB->UTF8String(), "restored");

  // Registering again does not load over the values it has now.
  late->mB = RefPtr(NSSTR("changed"));
  controller->registerPersistentObject(late.get());
  EXPECT_STREQ(late->mB->UTF8String(), "changed");

  terminate();
  EXPECT_TRUE(record(NSSTR("Late"))->objectForKey(NSSTR("b"))->isEqual(NSSTR("changed")));
}

}  // namespace
