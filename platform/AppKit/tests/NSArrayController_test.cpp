#include <AppKit/NSArrayController.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueObserving.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

NSString* str(const char* text) { return NSString::stringWithUTF8String(text); }

NSArrayController* controllerWith(std::initializer_list<const char*> names) {
  NSMutableArray* rows = NSMutableArray::array();
  for (const char* name : names) rows->addObject(str(name));
  auto* controller = static_cast<NSArrayController*>(NSArrayController::alloc()->init()->autorelease());
  controller->setContent(rows);
  return controller;
}

std::string namesOf(NSArray* array) {
  std::string names;
  for (NSObject* object : *array) names += static_cast<NSString*>(object)->UTF8String();
  return names;
}

std::vector<NSUInteger> indexesOf(NSIndexSet* set) {
  std::vector<NSUInteger> indexes;
  set->enumerateIndexesUsingBlock([&](NSUInteger index, bool*) { indexes.push_back(index); });
  return indexes;
}

}  // namespace

class ChangeRecorder : public NSObject {
 public:
  void observeValueForKeyPath_ofObject_change_context(NSString* keyPath, NSObject*, NSDictionary*,
                                                      void*) override {
    keys.push_back(keyPath->UTF8String());
  }
  std::vector<std::string> keys;
};

namespace {

TEST(NSArrayController, NewObjectsAreMutableDictionariesUnlessAClassIsSet) {
  objc::AutoreleasePool pool;
  auto* controller = static_cast<NSArrayController*>(NSArrayController::alloc()->init()->autorelease());
  RefPtr<NSObject> object = adopt(controller->newObject());
  ASSERT_NE(object, nullptr);
  ASSERT_NE(NSDynamicCast<NSMutableDictionary>(object.get()), nullptr);
  object->setValue_forKey(str("x"), str("url"));
  EXPECT_EQ(controller->arrangedObjects()->count(), 0u);
  EXPECT_EQ(controller->content(), nullptr);
}

TEST(NSArrayController, KeepsItsOwnCopyOfTheContent) {
  objc::AutoreleasePool pool;
  NSMutableArray* rows = NSMutableArray::arrayWithObjects({str("a"), str("b")});
  auto* controller = static_cast<NSArrayController*>(NSArrayController::alloc()->init()->autorelease());
  controller->setContent(rows);
  controller->addObject(str("c"));
  EXPECT_EQ(namesOf(controller->arrangedObjects()), "abc");
  EXPECT_EQ(rows->count(), 2u);
  controller->setContent(str("not an array"));
  EXPECT_EQ(controller->arrangedObjects()->count(), 0u);
}

TEST(NSArrayController, InsertionsSelectWhatTheyInsertAndShiftTheSelection) {
  objc::AutoreleasePool pool;
  NSArrayController* controller = controllerWith({"a", "b", "c"});
  controller->insertObject_atArrangedObjectIndex(str("x"), 1);
  EXPECT_EQ(namesOf(controller->arrangedObjects()), "axbc");
  EXPECT_EQ(indexesOf(controller->selectionIndexes()), (std::vector<NSUInteger>{1}));

  controller->setSelectsInsertedObjects(false);
  controller->setSelectionIndexes(NSIndexSet::indexSetWithIndex(2));
  controller->insertObjects_atArrangedObjectIndexes(
      NSArray::arrayWithObjects({str("y"), str("z")}),
      NSIndexSet::indexSetWithIndexesInRange(NSMakeRange(0, 2)));
  EXPECT_EQ(namesOf(controller->arrangedObjects()), "yzaxbc");
  // The selected object ("b") is still the one selected.
  EXPECT_EQ(namesOf(controller->selectedObjects()), "b");
  EXPECT_THROW(controller->insertObject_atArrangedObjectIndex(str("q"), 99), NSException::Raised);
  EXPECT_EQ(namesOf(controller->arrangedObjects()), "yzaxbc");
}

TEST(NSArrayController, RemovalsKeepTheRemainingSelectionAndIgnoreIndexesPastTheEnd) {
  objc::AutoreleasePool pool;
  NSArrayController* controller = controllerWith({"a", "b", "c", "d", "e"});
  NSMutableIndexSet* selected = NSMutableIndexSet::indexSet();
  selected->addIndex(1);
  selected->addIndex(4);
  controller->setSelectionIndexes(selected);
  NSMutableIndexSet* removed = NSMutableIndexSet::indexSet();
  removed->addIndex(0);
  removed->addIndex(1);
  removed->addIndex(3);
  removed->addIndex(17);
  controller->removeObjectsAtArrangedObjectIndexes(removed);
  EXPECT_EQ(namesOf(controller->arrangedObjects()), "ce");
  EXPECT_EQ(namesOf(controller->selectedObjects()), "e");
  EXPECT_EQ(controller->selectionIndex(), 1u);
  // A selection past the end is trimmed.
  controller->setSelectionIndexes(NSIndexSet::indexSetWithIndexesInRange(NSMakeRange(1, 5)));
  EXPECT_EQ(indexesOf(controller->selectionIndexes()), (std::vector<NSUInteger>{1}));
  controller->removeObject(str("e"));
  EXPECT_EQ(namesOf(controller->arrangedObjects()), "c");
  EXPECT_EQ(controller->selectionIndexes()->count(), 0u);
}

TEST(NSArrayController, AnnouncesArrangementAndSelectionChanges) {
  objc::AutoreleasePool pool;
  NSArrayController* controller = controllerWith({"a", "b"});
  RefPtr<ChangeRecorder> recorder = adopt(new ChangeRecorder);
  controller->addObserver_forKeyPath_options_context(recorder.get(), str("arrangedObjects"),
                                                     NSKeyValueObservingOptionNew, nullptr);
  controller->addObserver_forKeyPath_options_context(recorder.get(), str("selectionIndexes"),
                                                     NSKeyValueObservingOptionNew, nullptr);
  controller->addObject(str("c"));
  EXPECT_NE(std::find(recorder->keys.begin(), recorder->keys.end(), "arrangedObjects"), recorder->keys.end());
  recorder->keys.clear();
  EXPECT_TRUE(controller->setSelectionIndex(0));
  EXPECT_EQ(recorder->keys, (std::vector<std::string>{"selectionIndexes"}));
  EXPECT_FALSE(controller->setSelectionIndex(0));
  // Through key-value coding as a binding sets it.
  controller->setValue_forKey(NSIndexSet::indexSetWithIndex(1), str("selectionIndexes"));
  EXPECT_EQ(controller->selectionIndex(), 1u);
  controller->removeObserver_forKeyPath(recorder.get(), str("arrangedObjects"));
  controller->removeObserver_forKeyPath(recorder.get(), str("selectionIndexes"));
}

}  // namespace
