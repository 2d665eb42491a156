#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSKeyedArchiver.h>
#include <Foundation/NSKeyedUnarchiver.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <Foundation/NSValueTransformer.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "backend/FoundationSupport.h"

NSString* const NSNegateBooleanTransformerName = NSSTR("NSNegateBoolean");
NSString* const NSIsNilTransformerName = NSSTR("NSIsNil");
NSString* const NSIsNotNilTransformerName = NSSTR("NSIsNotNil");
NSString* const NSUnarchiveFromDataTransformerName = NSSTR("NSUnarchiveFromData");
NSString* const NSKeyedUnarchiveFromDataTransformerName = NSSTR("NSKeyedUnarchiveFromData");

OBJC_CLASS_DEFINE(NSValueTransformer)

namespace {

class NegateBooleanTransformer : public NSValueTransformer {
 public:
  Class transformedValueClass() const override { return NSNumber::class_(); }
  bool allowsReverseTransformation() const override { return true; }
  NSObject* transformedValue(NSObject* value) override {
    auto* number = NSDynamicCast<NSNumber>(value);
    return NSNumber::numberWithBool(!(number && number->boolValue()));
  }
  NSObject* reverseTransformedValue(NSObject* value) override { return transformedValue(value); }
};

class IsNilTransformer : public NSValueTransformer {
 public:
  explicit IsNilTransformer(bool answerForNil) : mAnswerForNil(answerForNil) {}
  Class transformedValueClass() const override { return NSNumber::class_(); }
  bool allowsReverseTransformation() const override { return false; }
  NSObject* transformedValue(NSObject* value) override {
    return NSNumber::numberWithBool((value == nullptr) == mAnswerForNil);
  }

 private:
  const bool mAnswerForNil;
};

class UnarchiveFromDataTransformer : public NSValueTransformer {
 public:
  bool allowsReverseTransformation() const override { return true; }
  NSObject* transformedValue(NSObject* value) override {
    auto* data = NSDynamicCast<NSData>(value);
    if (!data) return nullptr;
    return NSKeyedUnarchiver::unarchivedObjectOfClasses_fromData_error(
        NSKeyedUnarchiver::propertyListClasses(), data, nullptr);
  }
  NSObject* reverseTransformedValue(NSObject* value) override {
    if (!value) return nullptr;
    return NSKeyedArchiver::archivedDataWithRootObject_requiringSecureCoding_error(value, true, nullptr);
  }
};

struct Registry {
  std::mutex lock;
  std::map<std::string, RefPtr<NSValueTransformer>> byName;

  Registry() {
    add("NSNegateBoolean", new NegateBooleanTransformer());
    add("NSIsNil", new IsNilTransformer(true));
    add("NSIsNotNil", new IsNilTransformer(false));
    add("NSUnarchiveFromData", new UnarchiveFromDataTransformer());
    add("NSKeyedUnarchiveFromData", new UnarchiveFromDataTransformer());
  }
  void add(const char* name, NSValueTransformer* transformer) { byName[name] = adopt(transformer); }
};

Registry& registry() {
  static Registry* instance = new Registry();  // lives past every static destructor
  return *instance;
}

}  // namespace

void NSValueTransformer::setValueTransformer_forName(NSValueTransformer* transformer, NSString* name) {
  if (!name) return;
  Registry& shared = registry();
  std::lock_guard<std::mutex> guard(shared.lock);
  const std::string key = Foundation::utf8(name->cfString());
  if (transformer) {
    shared.byName[key] = RefPtr(transformer);
  } else {
    shared.byName.erase(key);
  }
}

NSValueTransformer* NSValueTransformer::valueTransformerForName(NSString* name) {
  if (!name) return nullptr;
  Registry& shared = registry();
  const std::string key = Foundation::utf8(name->cfString());
  {
    std::lock_guard<std::mutex> guard(shared.lock);
    auto found = shared.byName.find(key);
    if (found != shared.byName.end()) return found->second.get();
  }
  Class cls = objc_getClass(key.c_str());
  if (!cls || !cls->allocate || !class_isSubclassOfClass(cls, NSValueTransformer::class_())) return nullptr;
  // Made outside the lock: its init may look up transformers itself.
  RefPtr<NSObject> instance = adopt(cls->allocate()->init());
  auto* transformer = dynamic_cast<NSValueTransformer*>(instance.get());
  if (!transformer) return nullptr;
  std::lock_guard<std::mutex> guard(shared.lock);
  // Another thread may have made one first; every caller gets the registered one.
  return shared.byName.emplace(key, transformer).first->second.get();
}

NSArray* NSValueTransformer::valueTransformerNames() {
  Registry& shared = registry();
  std::lock_guard<std::mutex> guard(shared.lock);
  NSMutableArray* names = NSMutableArray::arrayWithCapacity(shared.byName.size());
  for (const auto& entry : shared.byName)
    names->addObject(NSString::stringWithUTF8String(entry.first.c_str()));
  return names;
}

Class NSValueTransformer::transformedValueClass() const { return NSObject::class_(); }

bool NSValueTransformer::allowsReverseTransformation() const { return false; }

NSObject* NSValueTransformer::transformedValue(NSObject* value) { return value; }

NSObject* NSValueTransformer::reverseTransformedValue(NSObject* value) {
  if (!allowsReverseTransformation()) {
    std::fprintf(stderr, "-[%s reverseTransformedValue:]: the transformer does not transform back\n",
                 className());
    return nullptr;
  }
  return value;
}
