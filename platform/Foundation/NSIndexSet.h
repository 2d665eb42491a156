#pragma once
// A set of unsigned indexes, kept as sorted, separate runs (ranges), so that a large block
// of indexes costs one range. Indexes up to NSNotFound - 1 can be held; NSNotFound is the
// answer for "none".
#include <functional>
#include <vector>

#include <Foundation/NSCoder.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSRange.h>

#pragma GCC visibility push(default)

class NSMutableIndexSet;

class NSIndexSet : public NSObject, public NSCoding {
  OBJC_CLASS_DECL(NSIndexSet, NSObject)

 public:
  // Autoreleased.
  static NSIndexSet* indexSet();
  static NSIndexSet* indexSetWithIndex(NSUInteger index);
  static NSIndexSet* indexSetWithIndexesInRange(NSRange range);

  NSIndexSet* init() override;
  NSIndexSet* initWithIndex(NSUInteger index);
  NSIndexSet* initWithIndexesInRange(NSRange range);
  NSIndexSet* initWithIndexSet(const NSIndexSet* other);

  NSUInteger count() const;
  // NSNotFound when empty.
  NSUInteger firstIndex() const;
  NSUInteger lastIndex() const;
  // The nearest index above, below, at or above, at or below index; NSNotFound when none.
  NSUInteger indexGreaterThanIndex(NSUInteger index) const;
  NSUInteger indexLessThanIndex(NSUInteger index) const;
  NSUInteger indexGreaterThanOrEqualToIndex(NSUInteger index) const;
  NSUInteger indexLessThanOrEqualToIndex(NSUInteger index) const;
  bool containsIndex(NSUInteger index) const;
  // True for an empty range.
  bool containsIndexesInRange(NSRange range) const;
  bool containsIndexes(const NSIndexSet* other) const;
  bool intersectsIndexesInRange(NSRange range) const;
  NSUInteger countOfIndexesInRange(NSRange range) const;
  bool isEqualToIndexSet(const NSIndexSet* other) const;
  void enumerateIndexesUsingBlock(const std::function<void(NSUInteger index, bool* stop)>& block) const;
  void enumerateRangesUsingBlock(const std::function<void(NSRange range, bool* stop)>& block) const;

  // +1 copies.
  NSIndexSet* copy() const;
  NSMutableIndexSet* mutableCopy() const;

  bool isEqual(const NSObject* other) const override;
  unsigned long hash() const override;
  // "<NSIndexSet: 0x…>[number of indexes: 3 (in 2 ranges), indexes: (1-2 5)]"
  const __CFString* copyDescription() const override;

  void encodeWithCoder(NSCoder* coder) override;
  NSObject* initWithCoder(NSCoder* coder) override;

 protected:
  NSIndexSet() = default;

  void insertRange(NSRange range);
  void eraseRange(NSRange range);

  std::vector<NSRange> mRanges;
};

class NSMutableIndexSet : public NSIndexSet {
  OBJC_CLASS_DECL(NSMutableIndexSet, NSIndexSet)

 public:
  // Autoreleased.
  static NSMutableIndexSet* indexSet();
  static NSMutableIndexSet* indexSetWithIndex(NSUInteger index);
  static NSMutableIndexSet* indexSetWithIndexesInRange(NSRange range);

  void addIndex(NSUInteger index);
  void addIndexesInRange(NSRange range);
  void addIndexes(const NSIndexSet* other);
  void removeIndex(NSUInteger index);
  void removeIndexesInRange(NSRange range);
  void removeIndexes(const NSIndexSet* other);
  void removeAllIndexes();
  // Moves every index at or above index by delta; a negative delta first removes the
  // indexes that the move passes over, as deleting rows does.
  void shiftIndexesStartingAtIndex_by(NSUInteger index, NSInteger delta);

 protected:
  NSMutableIndexSet() = default;
};

#pragma GCC visibility pop
