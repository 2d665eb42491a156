// Selectors, method tables, class methods that subclasses override, and class locks.
#include <objc/ClassLock.h>
#include <objc/ClassMethods.h>
#include <objc/MethodTable.h>
#include <objc/RefPtr.h>

#include <string>
#include <thread>

#include <Foundation/NSException.h>
#include <gtest/gtest.h>

class Switch : public NSObject {
  OBJC_CLASS_DECL(Switch, NSObject)

 public:
  struct Meta : NSObject::Meta {
    virtual std::string nibName(Class cls) const { return class_getName(cls); }
  };

  virtual void toggle(NSObject* sender) {
    mOn = !mOn;
    mSender = sender;
  }
  NSObject* sender() const { return mSender; }
  bool on() const { return mOn; }

 protected:
  Switch() = default;

 private:
  bool mOn = false;
  NSObject* mSender = nullptr;
};
OBJC_CLASS_DEFINE(Switch)
OBJC_METHODS(Switch, OBJC_METHOD("toggle:", &Switch::toggle), OBJC_METHOD("sender", &Switch::sender))

// Overrides a listed virtual method and a class method; lists a method of its own.
class LoudSwitch : public Switch {
  OBJC_CLASS_DECL(LoudSwitch, Switch)

 public:
  struct Meta : Switch::Meta {
    std::string nibName(Class) const override { return "Loud"; }
  };
  void toggle(NSObject* sender) override {
    Switch::toggle(sender);
    ++mToggles;
  }
  void shout() { ++mShouts; }
  int mToggles = 0;
  int mShouts = 0;
};
OBJC_CLASS_DEFINE(LoudSwitch)
OBJC_METHODS(LoudSwitch, OBJC_METHOD("shout", &LoudSwitch::shout))

// A class whose +allocWithZone: answers one shared instance, as nib singletons do.
class OneOnly : public NSObject {
  OBJC_CLASS_DECL(OneOnly, NSObject)

 public:
  struct Meta : NSObject::Meta {
    NSObject* allocWithZone(Class cls) const override {
      static NSObject* shared = [cls] {
        NSObject* made = cls->allocate();
        made->makeImmortal();
        return made;
      }();
      return shared;
    }
  };
};
OBJC_CLASS_DEFINE(OneOnly)

namespace {

TEST(Selectors, AreInternedByName) {
  std::string name = "toggle:";
  EXPECT_EQ(sel_registerName(name.c_str()), SELECTOR("toggle:"));
  EXPECT_NE(SELECTOR("toggle:"), SELECTOR("toggle"));
  EXPECT_STREQ(sel_getName(SELECTOR("toggle:")), "toggle:");
}

TEST(MethodTables, AreSearchedAlongTheSuperclassChain) {
  RefPtr<LoudSwitch> loud = adopt(LoudSwitch::alloc());
  loud->init();
  EXPECT_TRUE(loud->respondsToSelector(SELECTOR("toggle:")));
  EXPECT_TRUE(loud->respondsToSelector(SELECTOR("shout")));
  EXPECT_FALSE(loud->respondsToSelector(SELECTOR("whisper")));
  RefPtr<Switch> plain = adopt(Switch::alloc());
  EXPECT_FALSE(plain->respondsToSelector(SELECTOR("shout")));

  // The superclass's entry reaches the subclass's override of the virtual method.
  EXPECT_EQ(loud->performSelector_withObject(SELECTOR("toggle:"), plain.get()), nullptr);
  EXPECT_TRUE(loud->on());
  EXPECT_EQ(loud->mToggles, 1);
  EXPECT_EQ(loud->performSelector(SELECTOR("sender")), plain.get());
  loud->performSelector(SELECTOR("shout"));
  EXPECT_EQ(loud->mShouts, 1);
}

TEST(MethodTables, PerformingAnUnknownSelectorRaises) {
  RefPtr<Switch> plain = adopt(Switch::alloc());
  try {
    plain->performSelector(SELECTOR("shout"));
    FAIL() << "no exception";
  } catch (const NSException::Raised& raised) {
    EXPECT_TRUE(raised.exception()->name()->isEqualToString(NSInvalidArgumentException));
    EXPECT_NE(std::string(raised.what()).find("unrecognized selector"), std::string::npos);
  }
}

TEST(ClassMethods, DispatchToTheReceivingClass) {
  EXPECT_EQ(objc::classMethods<Switch>(Switch::class_()).nibName(Switch::class_()), "Switch");
  EXPECT_EQ(objc::classMethods<Switch>(LoudSwitch::class_()).nibName(LoudSwitch::class_()), "Loud");
  RefPtr<Switch> loud = adopt(static_cast<Switch*>(LoudSwitch::alloc()));
  EXPECT_EQ(objc::classMethods<Switch>(loud->classObject()).nibName(loud->classObject()), "Loud");
  EXPECT_EQ(objc_getClass("LoudSwitch"), LoudSwitch::class_());
}

TEST(ClassMethods, AllocGoesThroughAllocWithZone) {
  NSObject* first = OneOnly::alloc();
  NSObject* byName = class_createInstance(objc_getClass("OneOnly"));
  EXPECT_EQ(first, byName);
  RefPtr<NSObject> other = adopt(class_createInstance(Switch::class_()));
  EXPECT_NE(other.get(), first);
}

TEST(ClassLocks, AreRecursiveAndPerClass) {
  std::recursive_mutex& lock = class_getLock(Switch::class_());
  EXPECT_EQ(&lock, &class_getLock(Switch::class_()));
  EXPECT_NE(&lock, &class_getLock(LoudSwitch::class_()));
  bool otherThreadGotIt = true;
  OBJC_SYNCHRONIZED(Switch::class_()) {
    OBJC_SYNCHRONIZED(Switch::class_()) {
      std::thread([&] { otherThreadGotIt = lock.try_lock(); if (otherThreadGotIt) lock.unlock(); }).join();
    }
  }
  EXPECT_FALSE(otherThreadGotIt);
}

}  // namespace
