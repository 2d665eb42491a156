#include <Foundation/NSKeyValueBinding.h>

#include <map>
#include <mutex>
#include <string>

#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSValueTransformer.h>
#include <objc/FoundationCategories.h>
#include <objc/MethodTable.h>
#include <objc/SideTable.h>
#include <objc/WeakPtr.h>

NSString* const NSObservedObjectKey = NSSTR("NSObservedObject");
NSString* const NSObservedKeyPathKey = NSSTR("NSObservedKeyPath");
NSString* const NSOptionsKey = NSSTR("NSOptions");
NSString* const NSValueTransformerNameBindingOption = NSSTR("NSValueTransformerName");
NSString* const NSValueTransformerBindingOption = NSSTR("NSValueTransformer");

namespace {

const int kBinderContext = 0;

// Keeps one binding of an element: observes the observed key path and copies its value in.
// Neither the element nor the observed object is kept alive by it.
class KeyValueBinder : public NSObject {
  OBJC_CLASS_DECL(KeyValueBinder, NSObject)

 public:
  KeyValueBinder(NSObject* element, NSString* binding, NSObject* observable, NSString* keyPath, NSDictionary* options,
                 NSValueTransformer* transformer)
      : mElement(element),
        mBinding(NSString::stringWithString(binding)),
        mObservable(observable),
        mKeyPath(NSString::stringWithString(keyPath)),
        mOptions(options),
        mTransformer(transformer) {}

  // The bound element, which observed objects may ask their observers for.
  NSObject* object() const { return mElement.get().get(); }

  void start() {
    RefPtr<NSObject> observable = mObservable.get();
    if (!observable) return;
    observable->addObserver_forKeyPath_options_context(this, mKeyPath.get(), 0,
                                                       const_cast<int*>(&kBinderContext));
    mObserving = true;
    refresh();
  }

  void stop() {
    RefPtr<NSObject> observable = mObservable.get();
    if (!observable || !mObserving) return;
    mObserving = false;
    try {
      observable->removeObserver_forKeyPath(this, mKeyPath.get());
    } catch (const NSException::Raised&) {
      // The observed object already let the observation go.
    }
  }

  void observeValueForKeyPath_ofObject_change_context(NSString*, NSObject*, NSDictionary*, void* context) override {
    if (context == &kBinderContext) refresh();
  }

  NSDictionary* info() const {
    RefPtr<NSObject> observable = mObservable.get();
    if (!observable) return nullptr;
    return NSDictionary::dictionaryWithObjects_forKeys(
        {observable.get(), mKeyPath.get(), mOptions ? mOptions.get() : NSDictionary::dictionary()},
        {NSObservedObjectKey, NSObservedKeyPathKey, NSOptionsKey});
  }

 private:
  KeyValueBinder() = default;

  void refresh() {
    RefPtr<NSObject> element = mElement.get();
    RefPtr<NSObject> observable = mObservable.get();
    if (!element || !observable) return;
    NSObject* value = observable->valueForKeyPath(mKeyPath.get());
    if (mTransformer) value = mTransformer->transformedValue(value);
    // A binding name may be a key path: an element such as a segmented control answers
    // key paths that name one of its parts.
    element->setValue_forKeyPath(value, mBinding.get());
  }

  WeakPtr<NSObject> mElement;
  RefPtr<NSString> mBinding;
  WeakPtr<NSObject> mObservable;
  RefPtr<NSString> mKeyPath;
  RefPtr<NSDictionary> mOptions;
  RefPtr<NSValueTransformer> mTransformer;
  bool mObserving = false;
};
OBJC_CLASS_DEFINE_NO_FACTORY(KeyValueBinder)
OBJC_METHODS(KeyValueBinder, OBJC_METHOD("object", &KeyValueBinder::object))
NS_PROPERTIES(KeyValueBinder, NS_READONLY_PROPERTY("object", &KeyValueBinder::object))

// The bindings of one element; they end when the element goes.
struct ElementBindings : objc::AttachedState {
  std::mutex lock;
  std::map<std::string, RefPtr<KeyValueBinder>> byName;

  ~ElementBindings() override {
    for (auto& [name, binder] : byName) binder->stop();
  }
};

const int kElementBindingsKey = 0;

std::string text(NSString* string) {
  const char* utf8 = string ? string->UTF8String() : nullptr;
  return utf8 ? utf8 : "";
}

NSValueTransformer* transformerOf(NSDictionary* options) {
  if (!options) return nullptr;
  if (auto* transformer = NSDynamicCast<NSValueTransformer>(options->objectForKey(NSValueTransformerBindingOption))) {
    return transformer;
  }
  auto* name = NSDynamicCast<NSString>(options->objectForKey(NSValueTransformerNameBindingOption));
  if (!name) return nullptr;
  NSValueTransformer* transformer = NSValueTransformer::valueTransformerForName(name);
  if (!transformer) {
    NSException::raise_format(NSInvalidArgumentException, NSSTR("Cannot find value transformer with name %@"), name);
  }
  return transformer;
}

class KeyValueBinding final : public objc::KeyValueBindingCategory {
 public:
  void bind(NSObject* self, NSString* binding, NSObject* observable, NSString* keyPath,
            NSDictionary* options) override {
    if (!binding || !observable || !keyPath) return;
    NSValueTransformer* transformer = transformerOf(options);
    self->unbind(binding);
    RefPtr<KeyValueBinder> binder =
        adopt(new KeyValueBinder(self, binding, observable, keyPath, options, transformer));
    auto& bindings = objc::attachedStateOf<ElementBindings>(self, &kElementBindingsKey);
    {
      std::lock_guard<std::mutex> guard(bindings.lock);
      bindings.byName[text(binding)] = binder;
    }
    binder->start();
  }

  void unbind(NSObject* self, NSString* binding) override {
    auto* bindings = static_cast<ElementBindings*>(objc::attachedState(self, &kElementBindingsKey));
    if (!bindings) return;
    RefPtr<KeyValueBinder> binder;
    {
      std::lock_guard<std::mutex> guard(bindings->lock);
      auto found = bindings->byName.find(text(binding));
      if (found == bindings->byName.end()) return;
      binder = found->second;
      bindings->byName.erase(found);
    }
    binder->stop();
  }

  NSDictionary* infoForBinding(NSObject* self, NSString* binding) override {
    auto* bindings = static_cast<ElementBindings*>(objc::attachedState(self, &kElementBindingsKey));
    if (!bindings) return nullptr;
    std::lock_guard<std::mutex> guard(bindings->lock);
    auto found = bindings->byName.find(text(binding));
    return found == bindings->byName.end() ? nullptr : found->second->info();
  }
};

[[maybe_unused]] const bool installed = [] {
  static KeyValueBinding binding;
  objc::installKeyValueBinding(&binding);
  return true;
}();

}  // namespace
