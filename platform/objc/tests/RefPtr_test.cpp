#include <objc/RefPtr.h>

#include <type_traits>

#include <gtest/gtest.h>

namespace {

class Item : public NSObject {};
class SpecialItem : public Item {};

// Ownership is spelled out at every place a raw pointer and a reference meet.
static_assert(!std::is_convertible_v<Item*, RefPtr<Item>>, "retaining a raw pointer is explicit");
static_assert(!std::is_convertible_v<RefPtr<Item>, Item*>, "a raw pointer is taken with get()");
static_assert(std::is_constructible_v<RefPtr<Item>, Item*>);
static_assert(std::is_convertible_v<RefPtr<SpecialItem>, RefPtr<Item>>, "references convert to bases");
static_assert(!std::is_convertible_v<Item*, Ref<Item>>);
static_assert(!std::is_convertible_v<Ref<Item>, Item*>);

TEST(RefPtr, RetainsWhatItBorrowsAndAdoptsWhatItIsGiven) {
  Item* item = new Item();
  {
    RefPtr<Item> adopted = adopt(item);
    EXPECT_EQ(item->retainCount(), 1);
    RefPtr<Item> retained(item);
    EXPECT_EQ(item->retainCount(), 2);
    RefPtr<NSObject> base = std::move(retained);
    EXPECT_EQ(item->retainCount(), 2);
    EXPECT_EQ(retained, nullptr);
    EXPECT_EQ(base, adopted);
    base = nullptr;
    EXPECT_EQ(item->retainCount(), 1);
    Item* handedOut = adopted.leak();
    EXPECT_EQ(handedOut, item);
    EXPECT_FALSE(adopted);
  }
  EXPECT_EQ(item->retainCount(), 1);
  item->release();
}

TEST(Ref, KeepsItsObject) {
  RefPtr<Item> item = adopt(new Item());
  {
    Ref<Item> ref(item.get());
    EXPECT_EQ(item->retainCount(), 2);
    Ref<NSObject> base = ref;
    EXPECT_EQ(base.get(), item.get());
    EXPECT_EQ(item->retainCount(), 3);
  }
  EXPECT_EQ(item->retainCount(), 1);
}

// The null check holds in every build, not only where assertions are compiled in.
TEST(RefDeathTest, MadeFromNullStopsTheProcess) {
  Item* none = nullptr;
  EXPECT_DEATH(Ref<Item>{none}, "Ref: made from a null pointer");
  EXPECT_DEATH(Ref<Item>::adopt(none), "Ref: made from a null pointer");
}

}  // namespace
