#include "UNibSingleton.h"

#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>
#include <objc/WeakPtr.h>

#include <atomic>
#include <thread>
#include <vector>

const char* g_CoreMachDebug_LogPrefix = "UNibSingletonTest";
const char* g_CoreMachDebug_LogFileName = "UNibSingletonTest.log";

// Counts its hooks; each test class below is made by one test only, as instances live for ever.
// A test run again (--gtest_repeat) finds its instance made: it checks what first use does only
// on the first run, and counts hooks from where they stood.
template <int N>
struct Counts {
  static inline std::atomic<int> once{0}, every{0}, awakened{0};
};

#define COUNTING_SINGLETON(Name, Super, N)                    \
  class Name : public Super {                                 \
    OBJC_CLASS_DECL(Name, Super)                              \
                                                              \
   public:                                                    \
    void initOnceInstance() override { ++Counts<N>::once; }   \
    void initEveryInstance() override { ++Counts<N>::every; } \
    void awakeFromNib() override { ++Counts<N>::awakened; }   \
    WeakPtr<NSObject> mPartner;                               \
  };                                                          \
  OBJC_CLASS_DEFINE(Name)                                     \
  NS_PROPERTIES(Name, NS_OUTLET("partner", &Name::mPartner))

COUNTING_SINGLETON(MadeTwice, UNibSingleton, 1)
COUNTING_SINGLETON(FirstDefaultKey, UNibSingleton, 2)
COUNTING_SINGLETON(SecondDefaultKey, UNibSingleton, 3)
COUNTING_SINGLETON(WiredByNib, UNibSingleton, 4)
COUNTING_SINGLETON(Contended, UNibSingleton, 5)
COUNTING_SINGLETON(ContendedToo, UNibSingleton, 6)

// A class that answers a fixed key, which its subclass then shares.
class FixedKey : public UNibSingleton {
  OBJC_CLASS_DECL(FixedKey, UNibSingleton)

 public:
  struct Meta : UNibSingleton::Meta {
    NSString* instanceKey(Class) const override { return NSSTR("TheFixedKey"); }
  };
};
OBJC_CLASS_DEFINE(FixedKey)

class FixedKeyChild : public FixedKey {
  OBJC_CLASS_DECL(FixedKeyChild, FixedKey)
};
OBJC_CLASS_DEFINE(FixedKeyChild)

// Makes another instance of its own class while it initialises.
class Reentrant : public UNibSingleton {
  OBJC_CLASS_DECL(Reentrant, UNibSingleton)

 public:
  void initOnceInstance() override {
    ++Counts<7>::once;
    inner = Reentrant::alloc()->init();
  }
  void initEveryInstance() override { ++Counts<7>::every; }
  NSObject* inner = nullptr;
};
OBJC_CLASS_DEFINE(Reentrant)

namespace {

NSObject* make(Class cls) { return class_createInstance(cls)->init(); }

TEST(UNibSingleton, EveryAllocAndInitYieldsTheOneInstance) {
  const bool firstUse = UNibSingleton::sharedInstance(MadeTwice::class_()) == nullptr;
  const int everyBefore = Counts<1>::every;
  MadeTwice* allocated = MadeTwice::alloc();
  // Registered by allocation, before any init.
  EXPECT_EQ(UNibSingleton::sharedInstance(MadeTwice::class_()), allocated);
  EXPECT_EQ(UNibSingleton::sharedInstanceWasInitialized(MadeTwice::class_()), !firstUse);

  NSObject* first = allocated->init();
  NSObject* second = MadeTwice::alloc()->init();
  EXPECT_EQ(first, allocated);
  EXPECT_EQ(second, allocated);
  EXPECT_TRUE(UNibSingleton::sharedInstanceWasInitialized(MadeTwice::class_()));
  EXPECT_EQ(Counts<1>::once, 1);
  EXPECT_EQ(Counts<1>::every, everyBefore + 2);

  // Releasing, however often, leaves the instance usable; a copy is the instance.
  for (int i = 0; i < 5; ++i) allocated->release();
  allocated->autorelease();
  EXPECT_EQ(allocated->retainCount(), 4294967295UL);
  EXPECT_EQ(allocated->copy(), allocated);
  EXPECT_EQ(MadeTwice::alloc()->init(), allocated);
}

TEST(UNibSingleton, EachInstanceKeyHasItsOwnInstance) {
  NSObject* first = make(FirstDefaultKey::class_());
  NSObject* second = make(SecondDefaultKey::class_());
  EXPECT_NE(first, second);
  EXPECT_TRUE(first->isKindOfClass(FirstDefaultKey::class_()));
  EXPECT_TRUE(second->isKindOfClass(SecondDefaultKey::class_()));

  // The subclass answers its parent's fixed key, and so shares the instance made first.
  NSObject* child = make(FixedKeyChild::class_());
  EXPECT_EQ(make(FixedKey::class_()), child);
  EXPECT_EQ(UNibSingleton::sharedInstance(FixedKey::class_()), child);
}

TEST(UNibSingleton, TheFirstRegistrationStays) {
  NSObject* registered = make(SecondDefaultKey::class_());
  RefPtr<NSObject> other = adopt(NSObject::alloc()->init());
  UNibSingleton::setSharedInstance(SecondDefaultKey::class_(), other.get());
  EXPECT_EQ(UNibSingleton::sharedInstance(SecondDefaultKey::class_()), registered);
  EXPECT_TRUE(UNibSingleton::sharedInstanceWasInitialized(SecondDefaultKey::class_()));
}

TEST(UNibSingleton, AnInitMadeDuringTheFirstInitRunsOnlyTheEveryTimeHook) {
  const bool firstUse = UNibSingleton::sharedInstance(Reentrant::class_()) == nullptr;
  const int everyBefore = Counts<7>::every;
  auto* instance = static_cast<Reentrant*>(make(Reentrant::class_()));
  EXPECT_EQ(instance->inner, instance);
  EXPECT_EQ(Counts<7>::once, 1);
  EXPECT_EQ(Counts<7>::every, everyBefore + (firstUse ? 2 : 1));
}

TEST(UNibSingleton, FirstUseOnManyThreadsAtOnceMakesOneInstancePerKey) {
  constexpr int kThreads = 8;
  const int everyBefore = Counts<5>::every;
  std::vector<NSObject*> contended(kThreads), contendedToo(kThreads);
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      while (!go) std::this_thread::yield();
      // Half the threads start with the other class, so both registrations race.
      if (i % 2) {
        contended[i] = make(Contended::class_());
        contendedToo[i] = make(ContendedToo::class_());
      } else {
        contendedToo[i] = make(ContendedToo::class_());
        contended[i] = make(Contended::class_());
      }
    });
  }
  go = true;
  for (auto& thread : threads) thread.join();
  for (int i = 0; i < kThreads; ++i) {
    EXPECT_EQ(contended[i], contended[0]);
    EXPECT_EQ(contendedToo[i], contendedToo[0]);
  }
  EXPECT_NE(contended[0], contendedToo[0]);
  EXPECT_EQ(Counts<5>::once, 1);
  EXPECT_EQ(Counts<6>::once, 1);
  EXPECT_EQ(Counts<5>::every, everyBefore + kThreads);
}

TEST(UNibSingleton, ANibWiresAndAwakensTheExistingInstance) {
  const int everyBefore = Counts<4>::every, awakenedBefore = Counts<4>::awakened;
  auto* existing = static_cast<WiredByNib*>(make(WiredByNib::class_()));
  NibBuilder builder;
  builder.object("WiredByNib", "controller");
  builder.object("NSObject", "partner");
  builder.outlet("controller", "partner", "partner");
  std::string xml = builder.xml();
  NSData* data = NSData::dataWithBytes_length(xml.data(), xml.size());

  for (int load = 1; load <= 2; ++load) {
    RefPtr<NSNib> nib = adopt(NSNib::alloc()->initWithNibData_bundle(data, nullptr));
    ASSERT_TRUE(nib);
    NSArray* topLevel = nullptr;
    ASSERT_TRUE(nib->instantiateWithOwner_topLevelObjects(nullptr, &topLevel));
    ASSERT_NE(topLevel, nullptr);
    EXPECT_TRUE(topLevel->containsObject(existing));
    RefPtr<NSObject> partner = existing->mPartner.get();
    EXPECT_TRUE(partner && topLevel->containsObject(partner.get()));
    EXPECT_EQ(Counts<4>::awakened, awakenedBefore + load);
  }
  EXPECT_EQ(Counts<4>::once, 1);
  EXPECT_EQ(Counts<4>::every, everyBefore + 3);
}

}  // namespace
