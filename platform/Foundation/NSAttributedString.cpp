#include <Foundation/NSAttributedString.h>

#include <algorithm>

#include <Foundation/NSBridging.h>
#include <Foundation/NSDictionary.h>

OBJC_CLASS_DEFINE(NSAttributedString)
OBJC_CLASS_DEFINE(NSMutableAttributedString)

NSAttributedString* NSAttributedString::initWithString(NSString* string) { return initWithString_attributes(string, nullptr); }

NSAttributedString* NSAttributedString::initWithString_attributes(NSString* string, NSDictionary* attributes) {
  mString = RefPtr<NSString>(string ? NSString::stringWithString(string) : NSString::string());
  mRuns.clear();
  if (attributes && length() > 0) mRuns.push_back({NSMakeRange(0, length()), RefPtr<NSDictionary>(attributes)});
  return this;
}

NSDictionary* NSAttributedString::attributesAtIndex_effectiveRange(NSUInteger index, NSRange* range) const {
  for (const Run& run : mRuns) {
    if (index >= run.range.location && index < run.range.location + run.range.length) {
      if (range) *range = run.range;
      return run.attributes.get();
    }
  }
  if (range) *range = NSMakeRange(index, index < length() ? 1 : 0);
  return NSDictionary::dictionary();
}

NSMutableAttributedString* NSAttributedString::mutableCopy() const {
  auto* copy = static_cast<NSMutableAttributedString*>(NSMutableAttributedString::alloc()->initWithString(mString.get()));
  for (const Run& run : mRuns) copy->setAttributes_range(run.attributes.get(), run.range);
  return copy;
}

bool NSAttributedString::isEqual(const NSObject* other) const {
  auto* text = NSDynamicCast<NSAttributedString>(other);
  if (!text || !text->string()->isEqualToString(string())) return false;
  for (NSUInteger i = 0; i < length(); ++i) {
    if (!attributesAtIndex_effectiveRange(i, nullptr)->isEqualToDictionary(text->attributesAtIndex_effectiveRange(i, nullptr))) {
      return false;
    }
  }
  return true;
}

void NSMutableAttributedString::setAttributes_range(NSDictionary* attributes, NSRange range) {
  const NSUInteger start = std::min(range.location, length());
  const NSUInteger end = std::min(range.location + range.length, length());
  if (start >= end) return;
  std::vector<Run> runs;
  for (const Run& run : mRuns) {
    const NSUInteger runEnd = run.range.location + run.range.length;
    if (run.range.location < start) {
      runs.push_back({NSMakeRange(run.range.location, std::min(runEnd, start) - run.range.location), run.attributes});
    }
    if (runEnd > end) {
      const NSUInteger from = std::max(run.range.location, end);
      runs.push_back({NSMakeRange(from, runEnd - from), run.attributes});
    }
  }
  if (attributes) runs.push_back({NSMakeRange(start, end - start), RefPtr<NSDictionary>(attributes)});
  std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.range.location < b.range.location; });
  mRuns = std::move(runs);
}

void NSMutableAttributedString::replaceCharactersInRange_withString(NSRange range, NSString* string) {
  NSMutableString* text = NSMutableString::string();
  text->appendString(mString.get());
  CFStringReplace(text->cfMutableString(), CFRangeMake(CFIndex(range.location), CFIndex(range.length)),
                  string ? string->cfString() : CFSTR(""));
  // Attributes of a replaced text start over.
  mString = RefPtr<NSString>(NSString::stringWithString(text));
  mRuns.clear();
}
