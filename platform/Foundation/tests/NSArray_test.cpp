#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSIndexSet.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string utf8(NSString* string) { return string ? string->UTF8String() : "(null)"; }

template <class Body>
std::string raisedName(Body body) {
  try {
    body();
  } catch (const NSException::Raised& raised) {
    return utf8(raised.exception()->name());
  }
  return "";
}

TEST(NSArray, IsTheCFArrayItViewsAndHoldsItsObjects) {
  objc::AutoreleasePool pool;
  NSString* made = NSString::stringWithFormat(NSSTR("item %d"), 1);
  CFIndex before = CFGetRetainCount(made);
  RefPtr<NSArray> array{NSArray::arrayWithObjects({made, NSSTR("two")})};
  EXPECT_EQ(CFGetTypeID(array->cfArray()), CFArrayGetTypeID());
  EXPECT_GT(CFGetRetainCount(made), before);
  EXPECT_EQ(array->count(), 2u);
  EXPECT_EQ((*array)[0], made);
  EXPECT_EQ(array->lastObject(), NSSTR("two"));
  EXPECT_EQ(NSArray::array()->firstObject(), nullptr);
  EXPECT_EQ(array->indexOfObject(NSString::stringWithUTF8String("two")), 1u);
  EXPECT_EQ(array->indexOfObjectIdenticalTo(NSString::stringWithUTF8String("two")), NSUInteger(NSNotFound));
  EXPECT_EQ(array->indexOfObject(NSSTR("three")), NSUInteger(NSNotFound));

  std::vector<NSObject*> visited;
  for (NSObject* object : *array) visited.push_back(object);
  EXPECT_EQ(visited, (std::vector<NSObject*>{made, NSSTR("two")}));
}

TEST(NSArray, RaisesForIndexesPastTheEndAndNilObjects) {
  objc::AutoreleasePool pool;
  NSMutableArray* array = NSMutableArray::arrayWithObjects({NSSTR("a")});
  const struct {
    const char* name;
    std::function<void()> body;
    const char* raised;
  } cases[] = {
      {"objectAtIndex", [&] { array->objectAtIndex(1); }, "NSRangeException"},
      {"insert past the end", [&] { array->insertObject_atIndex(NSSTR("x"), 2); }, "NSRangeException"},
      {"remove past the end", [&] { array->removeObjectAtIndex(5); }, "NSRangeException"},
      {"replace past the end", [&] { array->replaceObjectAtIndex_withObject(1, NSSTR("x")); },
       "NSRangeException"},
      {"subarray past the end", [&] { array->subarrayWithRange(NSMakeRange(0, 2)); }, "NSRangeException"},
      {"add nil", [&] { array->addObject(nullptr); }, "NSInvalidArgumentException"},
      {"make with nil",
       [&] {
         NSArray::arrayWithObjects({NSSTR("a"), nullptr});
       },
       "NSInvalidArgumentException"},
  };
  for (const auto& item : cases) EXPECT_EQ(raisedName(item.body), item.raised) << item.name;
  EXPECT_EQ(array->count(), 1u);
}

TEST(NSArray, DescribesItselfAsAPropertyList) {
  objc::AutoreleasePool pool;
  NSArray* array = NSArray::arrayWithObjects(
      {NSSTR("plain"), NSSTR("two words"), NSNumber::numberWithInt(3),
       NSArray::arrayWithObject(NSSTR("inner")),
       NSDictionary::dictionaryWithObjects_forKeys({NSSTR("b"), NSSTR("a")}, {NSSTR("zeta"), NSSTR("alpha")}),
       NSArray::array(), NSSTR("")});
  EXPECT_EQ(utf8(array->description()),
            "(\n"
            "    plain,\n"
            "    \"two words\",\n"
            "    3,\n"
            "        (\n"
            "        inner\n"
            "    ),\n"
            "        {\n"
            "        alpha = a;\n"
            "        zeta = b;\n"
            "    },\n"
            "        (\n"
            "    ),\n"
            "    \"\"\n"
            ")");
  EXPECT_EQ(utf8(NSArray::array()->description()), "(\n)");
  EXPECT_EQ(utf8(array->subarrayWithRange(NSMakeRange(0, 3))->componentsJoinedByString(NSSTR(", "))),
            "plain, two words, 3");
}

TEST(NSArray, SortsStablyAndEditsInPlace) {
  objc::AutoreleasePool pool;
  NSArray* words = NSArray::arrayWithObjects({NSSTR("beta"), NSSTR("Alpha"), NSSTR("alpha"), NSSTR("Gamma")});
  NSArray* sorted = words->sortedArrayUsingComparator([](NSObject* a, NSObject* b) {
    return static_cast<NSString*>(a)->caseInsensitiveCompare(static_cast<NSString*>(b));
  });
  EXPECT_EQ(utf8(sorted->componentsJoinedByString(NSSTR(" "))), "Alpha alpha beta Gamma");

  NSMutableArray* list = NSMutableArray::arrayWithArray(words);
  list->removeObject(NSSTR("alpha"));
  list->insertObject_atIndex(NSSTR("first"), 0);
  list->exchangeObjectAtIndex_withObjectAtIndex(1, 2);
  list->removeObjectsAtIndexes(NSIndexSet::indexSetWithIndex(3));
  EXPECT_EQ(utf8(list->componentsJoinedByString(NSSTR(" "))), "first Alpha beta");
  list->setArray(list);
  EXPECT_EQ(list->count(), 3u);
  list->insertObjects_atIndexes(NSArray::arrayWithObjects({NSSTR("x"), NSSTR("y")}),
                                NSIndexSet::indexSetWithIndexesInRange(NSMakeRange(1, 2)));
  EXPECT_EQ(utf8(list->componentsJoinedByString(NSSTR(" "))), "first x y Alpha beta");
  EXPECT_EQ(utf8(list->objectsAtIndexes(NSIndexSet::indexSetWithIndexesInRange(NSMakeRange(3, 2)))
                     ->componentsJoinedByString(NSSTR(" "))),
            "Alpha beta");
  EXPECT_EQ(words->count(), 4u);  // the source array is untouched
}

TEST(NSArray, EnumeratesASnapshotThatTheBlockMayChange) {
  objc::AutoreleasePool pool;
  NSMutableArray* list = NSMutableArray::arrayWithObjects({NSSTR("a"), NSSTR("b"), NSSTR("c")});
  std::vector<NSUInteger> seen;
  list->enumerateObjectsUsingBlock([&](NSObject*, NSUInteger index, bool* stop) {
    seen.push_back(index);
    list->removeAllObjects();
    if (index == 1) *stop = true;
  });
  EXPECT_EQ(seen, (std::vector<NSUInteger>{0, 1}));
}

}  // namespace
