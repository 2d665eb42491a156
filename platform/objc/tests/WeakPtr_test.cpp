#include <objc/WeakPtr.h>

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

class Counted : public NSObject {
 public:
  explicit Counted(std::atomic<int>* destroyed) : mDestroyed(destroyed) {}
  ~Counted() override { ++*mDestroyed; }

 private:
  std::atomic<int>* mDestroyed;
};

TEST(WeakPtr, AnswersTheObjectWhileItLivesAndNullOnceItIsFreed) {
  std::atomic<int> destroyed{0};
  auto* object = new Counted(&destroyed);
  WeakPtr<Counted> weak = object;
  WeakPtr<Counted> copy = weak;
  EXPECT_EQ(weak.get().get(), object);
  EXPECT_TRUE(copy.refersTo(object));
  object->release();
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(weak.get(), nullptr);
  EXPECT_EQ(copy.get(), nullptr);
  EXPECT_FALSE(bool(weak));
}

TEST(WeakPtr, AStrongReferenceFromItKeepsTheObject) {
  std::atomic<int> destroyed{0};
  auto* object = new Counted(&destroyed);
  WeakPtr<Counted> weak = object;
  RefPtr<Counted> strong = weak.get();
  object->release();
  EXPECT_EQ(destroyed, 0);
  strong = nullptr;
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(weak.get(), nullptr);
}

// Loads racing the last release never answer a freed object and never free it twice.
TEST(WeakPtr, LoadsRacingTheLastReleaseAreSafe) {
  for (int round = 0; round < 200; ++round) {
    std::atomic<int> destroyed{0};
    auto* object = new Counted(&destroyed);
    WeakPtr<Counted> weak = object;
    std::atomic<bool> go{false};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i) {
      readers.emplace_back([&] {
        while (!go) {
        }
        for (int n = 0; n < 50; ++n) {
          if (RefPtr<Counted> strong = weak.get()) {
            EXPECT_EQ(destroyed, 0);
          }
        }
      });
    }
    go = true;
    object->release();
    for (auto& reader : readers) reader.join();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(weak.get(), nullptr);
  }
}

}  // namespace
