#include <Foundation/NSArray.h>
#include <Foundation/NSException.h>
#include <Foundation/NSSet.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

namespace {

TEST(NSSet, HoldsDistinctMembersByEquality) {
  objc::AutoreleasePool pool;
  NSMutableSet* set = NSMutableSet::set();
  set->addObject(NSNumber::numberWithInt(1));
  set->addObject(NSNumber::numberWithDouble(1.0));
  set->addObject(NSString::stringWithUTF8String("slave"));
  set->addObject(NSSTR("slave"));
  EXPECT_EQ(set->count(), 2u);
  EXPECT_THROW(set->addObject(nullptr), NSException::Raised);

  size_t visited = 0;
  for (NSObject* member : *set) {
    ++visited;
    set->removeObject(member);  // changing the set inside the loop is safe
  }
  EXPECT_EQ(visited, 2u);
  EXPECT_EQ(set->count(), 0u);
}

TEST(NSSet, CombinesWithOtherSets) {
  objc::AutoreleasePool pool;
  NSSet* ab = NSSet::setWithObjects({NSSTR("a"), NSSTR("b")});
  NSMutableSet* work = NSMutableSet::setWithArray(NSArray::arrayWithObjects({NSSTR("b"), NSSTR("c")}));
  EXPECT_TRUE(ab->intersectsSet(work));
  EXPECT_FALSE(ab->isSubsetOfSet(work));
  work->unionSet(ab);
  EXPECT_EQ(work->count(), 3u);
  EXPECT_TRUE(ab->isSubsetOfSet(work));
  work->minusSet(NSSet::setWithObject(NSSTR("a")));
  work->intersectSet(ab);
  EXPECT_TRUE(work->isEqualToSet(NSSet::setWithObject(NSSTR("b"))));
  EXPECT_STREQ(work->description()->UTF8String(), "{(\n    b\n)}");
  EXPECT_TRUE(work->member(NSString::stringWithUTF8String("b"))->isEqual(NSSTR("b")));
  EXPECT_EQ(NSSet::set()->anyObject(), nullptr);
}

}  // namespace
