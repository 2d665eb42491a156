#include <Foundation/NSError.h>
#include <Foundation/NSIndexSet.h>
#include <Foundation/NSString.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "backend/FoundationSupport.h"

OBJC_CLASS_DEFINE(NSIndexSet)
OBJC_CLASS_DEFINE(NSMutableIndexSet)

namespace {

constexpr NSUInteger kLimit = NSUInteger(NSNotFound);

// The part of range that indexes can hold ([0, NSNotFound)); an empty range for the rest.
NSRange usable(NSRange range) {
  if (range.location >= kLimit) {
    if (range.length)
      std::fprintf(stderr, "NSIndexSet: index %lu is beyond the largest index\n", range.location);
    return NSMakeRange(0, 0);
  }
  if (range.length > kLimit - range.location) {
    std::fprintf(stderr, "NSIndexSet: range {%lu, %lu} is cut at the largest index\n", range.location,
                 range.length);
    range.length = kLimit - range.location;
  }
  return range;
}

// Unsigned LEB128, the compact form of the ranges in an archive.
void appendNumber(std::string& out, NSUInteger value) {
  do {
    unsigned char byte = value & 0x7F;
    value >>= 7;
    out += char(value ? byte | 0x80 : byte);
  } while (value);
}

bool readNumber(const uint8_t*& cursor, const uint8_t* end, NSUInteger& value) {
  value = 0;
  for (unsigned shift = 0; cursor < end && shift < 64; shift += 7) {
    const uint8_t byte = *cursor++;
    value |= NSUInteger(byte & 0x7F) << shift;
    if (!(byte & 0x80)) return true;
  }
  return false;
}

}  // namespace

NSIndexSet* NSIndexSet::indexSet() { return static_cast<NSIndexSet*>(alloc()->init()->autorelease()); }

NSIndexSet* NSIndexSet::indexSetWithIndex(NSUInteger index) {
  return static_cast<NSIndexSet*>(alloc()->initWithIndex(index)->autorelease());
}

NSIndexSet* NSIndexSet::indexSetWithIndexesInRange(NSRange range) {
  return static_cast<NSIndexSet*>(alloc()->initWithIndexesInRange(range)->autorelease());
}

NSIndexSet* NSIndexSet::init() { return this; }

NSIndexSet* NSIndexSet::initWithIndex(NSUInteger index) {
  return initWithIndexesInRange(NSMakeRange(index, 1));
}

NSIndexSet* NSIndexSet::initWithIndexesInRange(NSRange range) {
  insertRange(range);
  return this;
}

NSIndexSet* NSIndexSet::initWithIndexSet(const NSIndexSet* other) {
  if (other) mRanges = other->mRanges;
  return this;
}

void NSIndexSet::insertRange(NSRange range) {
  range = usable(range);
  if (!range.length) return;
  NSUInteger start = range.location, end = NSMaxRange(range);
  // Every run that overlaps or touches the new one merges into it.
  auto first =
      std::find_if(mRanges.begin(), mRanges.end(), [&](NSRange r) { return NSMaxRange(r) >= start; });
  auto last = first;
  while (last != mRanges.end() && last->location <= end) {
    start = std::min(start, last->location);
    end = std::max(end, NSMaxRange(*last));
    ++last;
  }
  first = mRanges.erase(first, last);
  mRanges.insert(first, NSMakeRange(start, end - start));
}

void NSIndexSet::eraseRange(NSRange range) {
  range = usable(range);
  if (!range.length) return;
  const NSUInteger start = range.location, end = NSMaxRange(range);
  std::vector<NSRange> kept;
  for (NSRange r : mRanges) {
    if (NSMaxRange(r) <= start || r.location >= end) {
      kept.push_back(r);
      continue;
    }
    if (r.location < start) kept.push_back(NSMakeRange(r.location, start - r.location));
    if (NSMaxRange(r) > end) kept.push_back(NSMakeRange(end, NSMaxRange(r) - end));
  }
  mRanges.swap(kept);
}

NSUInteger NSIndexSet::count() const {
  NSUInteger total = 0;
  for (NSRange r : mRanges) total += r.length;
  return total;
}

NSUInteger NSIndexSet::firstIndex() const { return mRanges.empty() ? kLimit : mRanges.front().location; }

NSUInteger NSIndexSet::lastIndex() const { return mRanges.empty() ? kLimit : NSMaxRange(mRanges.back()) - 1; }

NSUInteger NSIndexSet::indexGreaterThanOrEqualToIndex(NSUInteger index) const {
  for (NSRange r : mRanges) {
    if (NSMaxRange(r) > index) return std::max(r.location, index);
  }
  return kLimit;
}

NSUInteger NSIndexSet::indexGreaterThanIndex(NSUInteger index) const {
  return index >= kLimit - 1 ? kLimit : indexGreaterThanOrEqualToIndex(index + 1);
}

NSUInteger NSIndexSet::indexLessThanOrEqualToIndex(NSUInteger index) const {
  for (auto r = mRanges.rbegin(); r != mRanges.rend(); ++r) {
    if (r->location <= index) return std::min(NSMaxRange(*r) - 1, index);
  }
  return kLimit;
}

NSUInteger NSIndexSet::indexLessThanIndex(NSUInteger index) const {
  return index == 0 ? kLimit : indexLessThanOrEqualToIndex(index - 1);
}

bool NSIndexSet::containsIndex(NSUInteger index) const {
  return std::any_of(mRanges.begin(), mRanges.end(), [&](NSRange r) { return NSLocationInRange(index, r); });
}

NSUInteger NSIndexSet::countOfIndexesInRange(NSRange range) const {
  range = usable(range);
  NSUInteger total = 0;
  for (NSRange r : mRanges) {
    const NSUInteger start = std::max(r.location, range.location);
    const NSUInteger end = std::min(NSMaxRange(r), NSMaxRange(range));
    if (end > start) total += end - start;
  }
  return total;
}

bool NSIndexSet::containsIndexesInRange(NSRange range) const {
  return countOfIndexesInRange(range) == usable(range).length;
}

bool NSIndexSet::containsIndexes(const NSIndexSet* other) const {
  if (!other) return true;
  return std::all_of(other->mRanges.begin(), other->mRanges.end(),
                     [&](NSRange r) { return containsIndexesInRange(r); });
}

bool NSIndexSet::intersectsIndexesInRange(NSRange range) const { return countOfIndexesInRange(range) > 0; }

bool NSIndexSet::isEqualToIndexSet(const NSIndexSet* other) const {
  return other && other->mRanges.size() == mRanges.size() &&
         std::equal(mRanges.begin(), mRanges.end(), other->mRanges.begin(), NSEqualRanges);
}

void NSIndexSet::enumerateIndexesUsingBlock(
    const std::function<void(NSUInteger index, bool* stop)>& block) const {
  const std::vector<NSRange> ranges = mRanges;  // the block may change a mutable set
  bool stop = false;
  for (NSRange r : ranges) {
    for (NSUInteger index = r.location; index < NSMaxRange(r) && !stop; ++index) block(index, &stop);
    if (stop) return;
  }
}

void NSIndexSet::enumerateRangesUsingBlock(
    const std::function<void(NSRange range, bool* stop)>& block) const {
  const std::vector<NSRange> ranges = mRanges;
  bool stop = false;
  for (NSRange r : ranges) {
    block(r, &stop);
    if (stop) return;
  }
}

NSIndexSet* NSIndexSet::copy() const { return NSIndexSet::alloc()->initWithIndexSet(this); }

NSMutableIndexSet* NSIndexSet::mutableCopy() const {
  return static_cast<NSMutableIndexSet*>(NSMutableIndexSet::alloc()->initWithIndexSet(this));
}

bool NSIndexSet::isEqual(const NSObject* other) const {
  auto* set = dynamic_cast<const NSIndexSet*>(other);
  return set && isEqualToIndexSet(set);
}

unsigned long NSIndexSet::hash() const { return count(); }

const __CFString* NSIndexSet::copyDescription() const {
  char head[160];
  std::snprintf(head, sizeof head, "<%s: %p>[number of indexes: %lu (in %zu ranges), indexes: (", className(),
                static_cast<const void*>(this), count(), mRanges.size());
  std::string text = head;
  for (size_t i = 0; i < mRanges.size(); ++i) {
    if (i) text += ' ';
    text += std::to_string(mRanges[i].location);
    if (mRanges[i].length > 1) text += "-" + std::to_string(NSMaxRange(mRanges[i]) - 1);
  }
  text += ")]";
  return CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
}

void NSIndexSet::encodeWithCoder(NSCoder* coder) {
  coder->encodeInteger_forKey(NSInteger(mRanges.size()), NSSTR("NSRangeCount"));
  if (mRanges.size() == 1) {
    coder->encodeInteger_forKey(NSInteger(mRanges.front().location), NSSTR("NSLocation"));
    coder->encodeInteger_forKey(NSInteger(mRanges.front().length), NSSTR("NSLength"));
  } else if (mRanges.size() > 1) {
    std::string bytes;
    for (NSRange r : mRanges) {
      appendNumber(bytes, r.location);
      appendNumber(bytes, r.length);
    }
    coder->encodeBytes_length_forKey(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                     NSSTR("NSRangeData"));
  }
}

NSObject* NSIndexSet::initWithCoder(NSCoder* coder) {
  auto refuse = [&](const char* message) -> NSObject* {
    coder->failWithError(Foundation::cocoaError(NSCoderReadCorruptError, message));
    release();
    return nullptr;
  };
  const NSInteger rangeCount = coder->decodeIntegerForKey(NSSTR("NSRangeCount"));
  std::vector<NSRange> ranges;
  if (rangeCount == 1) {
    ranges.push_back(NSMakeRange(NSUInteger(coder->decodeIntegerForKey(NSSTR("NSLocation"))),
                                 NSUInteger(coder->decodeIntegerForKey(NSSTR("NSLength")))));
  } else if (rangeCount > 1) {
    NSUInteger length = 0;
    const uint8_t* cursor = coder->decodeBytesForKey_returnedLength(NSSTR("NSRangeData"), &length);
    const uint8_t* end = cursor ? cursor + length : nullptr;
    for (NSInteger i = 0; i < rangeCount; ++i) {
      NSRange range;
      if (!cursor || !readNumber(cursor, end, range.location) || !readNumber(cursor, end, range.length)) {
        return refuse("an index set's ranges are cut short");
      }
      ranges.push_back(range);
    }
  } else if (rangeCount < 0) {
    return refuse("an index set has a negative number of ranges");
  }
  for (NSRange range : ranges) {
    if (range.location >= kLimit || range.length > kLimit - range.location) {
      return refuse("an index set holds an index beyond the largest index");
    }
    insertRange(range);
  }
  if (coder->error()) {
    release();
    return nullptr;
  }
  return this;
}

NSMutableIndexSet* NSMutableIndexSet::indexSet() {
  return static_cast<NSMutableIndexSet*>(alloc()->init()->autorelease());
}

NSMutableIndexSet* NSMutableIndexSet::indexSetWithIndex(NSUInteger index) {
  return static_cast<NSMutableIndexSet*>(alloc()->initWithIndex(index)->autorelease());
}

NSMutableIndexSet* NSMutableIndexSet::indexSetWithIndexesInRange(NSRange range) {
  return static_cast<NSMutableIndexSet*>(alloc()->initWithIndexesInRange(range)->autorelease());
}

void NSMutableIndexSet::addIndex(NSUInteger index) { insertRange(NSMakeRange(index, 1)); }

void NSMutableIndexSet::addIndexesInRange(NSRange range) { insertRange(range); }

void NSMutableIndexSet::addIndexes(const NSIndexSet* other) {
  if (!other) return;
  other->enumerateRangesUsingBlock([&](NSRange range, bool*) { insertRange(range); });
}

void NSMutableIndexSet::removeIndex(NSUInteger index) { eraseRange(NSMakeRange(index, 1)); }

void NSMutableIndexSet::removeIndexesInRange(NSRange range) { eraseRange(range); }

void NSMutableIndexSet::removeIndexes(const NSIndexSet* other) {
  if (!other) return;
  other->enumerateRangesUsingBlock([&](NSRange range, bool*) { eraseRange(range); });
}

void NSMutableIndexSet::removeAllIndexes() { mRanges.clear(); }

void NSMutableIndexSet::shiftIndexesStartingAtIndex_by(NSUInteger index, NSInteger delta) {
  if (delta == 0 || index >= kLimit) return;
  // Moving down stops at index 0.
  const NSUInteger distance = delta < 0 ? std::min(NSUInteger(-delta), index) : NSUInteger(delta);
  if (delta < 0) eraseRange(NSMakeRange(index - distance, distance));
  std::vector<NSRange> moved;
  std::vector<NSRange> kept;
  for (NSRange r : mRanges) {
    if (NSMaxRange(r) <= index) {
      kept.push_back(r);
    } else if (r.location >= index) {
      moved.push_back(r);
    } else {
      kept.push_back(NSMakeRange(r.location, index - r.location));
      moved.push_back(NSMakeRange(index, NSMaxRange(r) - index));
    }
  }
  mRanges.swap(kept);
  for (NSRange r : moved) {
    if (delta > 0) {
      if (r.location >= kLimit - distance) continue;  // moved past the largest index
      r.location += distance;
    } else {
      r.location -= distance;
    }
    insertRange(r);
  }
}
