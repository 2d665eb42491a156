#include <Foundation/NSCoder.h>
#include <Foundation/NSIndexSet.h>
#include <Foundation/NSString.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<NSUInteger> indexesOf(const NSIndexSet* set) {
  std::vector<NSUInteger> indexes;
  set->enumerateIndexesUsingBlock([&](NSUInteger index, bool*) { indexes.push_back(index); });
  return indexes;
}

using Indexes = std::vector<NSUInteger>;

TEST(NSIndexSet, EditsAsATableOfOperations) {
  objc::AutoreleasePool pool;
  struct Case {
    const char* name;
    void (*edit)(NSMutableIndexSet*);
    Indexes expected;
    size_t ranges;
  };
  const Case cases[] = {
      {"add joins touching runs",
       [](NSMutableIndexSet* s) {
         s->addIndexesInRange(NSMakeRange(1, 2));
         s->addIndex(3);
       },
       {1, 2, 3},
       1},
      {"add bridges a gap",
       [](NSMutableIndexSet* s) {
         s->addIndex(1);
         s->addIndex(5);
         s->addIndexesInRange(NSMakeRange(2, 3));
       },
       {1, 2, 3, 4, 5},
       1},
      {"add overlapping runs",
       [](NSMutableIndexSet* s) {
         s->addIndexesInRange(NSMakeRange(4, 4));
         s->addIndexesInRange(NSMakeRange(0, 2));
         s->addIndexesInRange(NSMakeRange(1, 4));
       },
       {0, 1, 2, 3, 4, 5, 6, 7},
       1},
      {"add an empty range", [](NSMutableIndexSet* s) { s->addIndexesInRange(NSMakeRange(9, 0)); }, {}, 0},
      {"remove splits a run",
       [](NSMutableIndexSet* s) {
         s->addIndexesInRange(NSMakeRange(0, 6));
         s->removeIndex(2);
       },
       {0, 1, 3, 4, 5},
       2},
      {"remove a range across runs",
       [](NSMutableIndexSet* s) {
         s->addIndexesInRange(NSMakeRange(0, 3));
         s->addIndexesInRange(NSMakeRange(5, 3));
         s->removeIndexesInRange(NSMakeRange(2, 4));
       },
       {0, 1, 6, 7},
       2},
      {"remove what is absent",
       [](NSMutableIndexSet* s) {
         s->addIndex(4);
         s->removeIndex(9);
       },
       {4},
       1},
      {"shift up",
       [](NSMutableIndexSet* s) {
         s->addIndex(1);
         s->addIndexesInRange(NSMakeRange(3, 2));
         s->shiftIndexesStartingAtIndex_by(3, 2);
       },
       {1, 5, 6},
       2},
      {"shift up from inside a run",
       [](NSMutableIndexSet* s) {
         s->addIndexesInRange(NSMakeRange(2, 3));
         s->shiftIndexesStartingAtIndex_by(3, 1);
       },
       {2, 4, 5},
       2},
      {"shift down drops what it passes",
       [](NSMutableIndexSet* s) {
         s->addIndexesInRange(NSMakeRange(1, 5));
         s->shiftIndexesStartingAtIndex_by(4, -2);
       },
       {1, 2, 3},
       1},
      {"shift down stops at zero",
       [](NSMutableIndexSet* s) {
         s->addIndex(0);
         s->addIndex(3);
         s->shiftIndexesStartingAtIndex_by(2, -5);
       },
       {1},
       1},
      {"add another set",
       [](NSMutableIndexSet* s) {
         s->addIndex(0);
         s->addIndexes(NSIndexSet::indexSetWithIndexesInRange(NSMakeRange(1, 2)));
       },
       {0, 1, 2},
       1},
      {"remove another set",
       [](NSMutableIndexSet* s) {
         s->addIndexesInRange(NSMakeRange(0, 4));
         s->removeIndexes(NSIndexSet::indexSetWithIndex(0));
       },
       {1, 2, 3},
       1},
      {"remove all",
       [](NSMutableIndexSet* s) {
         s->addIndexesInRange(NSMakeRange(0, 4));
         s->removeAllIndexes();
       },
       {},
       0},
      {"a range past the largest index is cut",
       [](NSMutableIndexSet* s) { s->addIndexesInRange(NSMakeRange(NSNotFound - 2, 10)); },
       {NSNotFound - 2, NSNotFound - 1},
       1},
  };
  for (const Case& test : cases) {
    NSMutableIndexSet* set = NSMutableIndexSet::indexSet();
    test.edit(set);
    EXPECT_EQ(indexesOf(set), test.expected) << test.name;
    EXPECT_EQ(set->count(), test.expected.size()) << test.name;
    size_t ranges = 0;
    set->enumerateRangesUsingBlock([&](NSRange, bool*) { ++ranges; });
    EXPECT_EQ(ranges, test.ranges) << test.name;
  }
}

TEST(NSIndexSet, AnswersQueriesAsATable) {
  objc::AutoreleasePool pool;
  // {2, 3, 4, 8}
  NSMutableIndexSet* set = NSMutableIndexSet::indexSetWithIndexesInRange(NSMakeRange(2, 3));
  set->addIndex(8);
  const NSUInteger none = NSNotFound;
  struct Case {
    const char* name;
    NSUInteger answer;
    NSUInteger expected;
  };
  const Case cases[] = {
      {"first", set->firstIndex(), 2},
      {"last", set->lastIndex(), 8},
      {"greater than 4", set->indexGreaterThanIndex(4), 8},
      {"greater than 8", set->indexGreaterThanIndex(8), none},
      {"greater than 0", set->indexGreaterThanIndex(0), 2},
      {"greater or equal 3", set->indexGreaterThanOrEqualToIndex(3), 3},
      {"less than 8", set->indexLessThanIndex(8), 4},
      {"less than 2", set->indexLessThanIndex(2), none},
      {"less than 0", set->indexLessThanIndex(0), none},
      {"less or equal 6", set->indexLessThanOrEqualToIndex(6), 4},
      {"count in 3..8", set->countOfIndexesInRange(NSMakeRange(3, 6)), 3},
      {"count in empty range", set->countOfIndexesInRange(NSMakeRange(0, 0)), 0},
      {"count in range past the end", set->countOfIndexesInRange(NSMakeRange(9, NSNotFound)), 0},
      {"contains 4", set->containsIndex(4), 1},
      {"contains 5", set->containsIndex(5), 0},
      {"contains 2..4", set->containsIndexesInRange(NSMakeRange(2, 3)), 1},
      {"contains 2..5", set->containsIndexesInRange(NSMakeRange(2, 4)), 0},
      {"intersects 5..7", set->intersectsIndexesInRange(NSMakeRange(5, 3)), 0},
      {"intersects 5..8", set->intersectsIndexesInRange(NSMakeRange(5, 4)), 1},
      {"contains {3, 8}", set->containsIndexes(NSMutableIndexSet::indexSetWithIndex(3)), 1},
      {"empty first", NSIndexSet::indexSet()->firstIndex(), none},
      {"empty last", NSIndexSet::indexSet()->lastIndex(), none},
  };
  for (const Case& test : cases) EXPECT_EQ(test.answer, test.expected) << test.name;
}

TEST(NSIndexSet, ComparesCopiesAndDescribes) {
  objc::AutoreleasePool pool;
  NSMutableIndexSet* set = NSMutableIndexSet::indexSetWithIndexesInRange(NSMakeRange(1, 2));
  set->addIndex(5);
  RefPtr<NSIndexSet> copy = adopt(set->copy());
  EXPECT_TRUE(copy->isEqualToIndexSet(set));
  EXPECT_TRUE(copy->isEqual(set));
  set->addIndex(9);
  EXPECT_FALSE(copy->isEqualToIndexSet(set));  // the copy keeps its own indexes
  EXPECT_FALSE(copy->isEqual(NSSTR("1-2 5")));

  CFStringRef description = CFCopyDescription(copy.get());
  std::string text = CFStringGetCStringPtr(description, kCFStringEncodingUTF8)
                         ? CFStringGetCStringPtr(description, kCFStringEncodingUTF8)
                         : "";
  CFRelease(description);
  EXPECT_NE(text.find("[number of indexes: 3 (in 2 ranges), indexes: (1-2 5)]"), std::string::npos) << text;
}

TEST(NSIndexSet, StopsEnumerationWhenAsked) {
  objc::AutoreleasePool pool;
  NSIndexSet* set = NSIndexSet::indexSetWithIndexesInRange(NSMakeRange(0, 100));
  int visited = 0;
  set->enumerateIndexesUsingBlock([&](NSUInteger index, bool* stop) {
    ++visited;
    if (index == 2) *stop = true;
  });
  EXPECT_EQ(visited, 3);
}

}  // namespace
