#include <Foundation/NSNib.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueBinding.h>
#include <Foundation/NSNull.h>
#include <Foundation/NSValue.h>

#include "backend/NibDocument.h"

OBJC_CLASS_DEFINE(NSNib)

using Foundation::NibElement;

namespace {

// The owner's place in a nib: connections name it by this id.
const char* const kOwnerID = "owner";

class NibLoader;

// The coder an object of a nib is initialised with: the values its element gives.
class NibDecoder : public NSCoder {
  OBJC_CLASS_DECL(NibDecoder, NSCoder)

 public:
  NibDecoder(NibLoader& loader, const NibElement& element) : mLoader(&loader), mElement(&element) {}

  bool requiresSecureCoding() const override { return false; }
  bool containsValueForKey(NSString* key) override { return valueElement(key) != nullptr; }
  NSObject* decodeObjectForKey(NSString* key) override;
  NSObject* decodeObjectOfClass_forKey(Class cls, NSString* key) override;
  NSObject* decodeObjectOfClasses_forKey(const NSClassList& classes, NSString* key) override;
  bool decodeBoolForKey(NSString* key) override;
  int decodeIntForKey(NSString* key) override { return int(decodeInt64ForKey(key)); }
  int32_t decodeInt32ForKey(NSString* key) override { return int32_t(decodeInt64ForKey(key)); }
  int64_t decodeInt64ForKey(NSString* key) override;
  NSInteger decodeIntegerForKey(NSString* key) override { return NSInteger(decodeInt64ForKey(key)); }
  float decodeFloatForKey(NSString* key) override { return float(decodeDoubleForKey(key)); }
  double decodeDoubleForKey(NSString* key) override;

 private:
  NibDecoder() = default;
  const NibElement* valueElement(NSString* key) const;
  NSNumber* number(NSString* key);

  NibLoader* mLoader = nullptr;
  const NibElement* mElement = nullptr;
};
OBJC_CLASS_DEFINE_NO_FACTORY(NibDecoder)

class NibLoader {
 public:
  NibLoader(const NibElement& root, NSString* nibName, NSObject* owner)
      : mRoot(root), mName(nibName ? nibName->UTF8String() : "(data)"), mOwner(owner) {}

  void load(NSArray** topLevelObjects) {
    if (mRoot.name != "nib") malformed("the document is not a nib");
    collectIDs(mRoot);
    std::vector<NSObject*> topLevel;
    for (const auto& child : mRoot.children) {
      if (child->name == "object") {
        topLevel.push_back(objectFor(*child));
      } else if (child->name != "connections") {
        malformed("unexpected element <" + child->name + ">");
      }
    }
    // Objects that their containers never decoded are still objects of the nib.
    instantiateRemaining(mRoot);
    for (const auto& child : mRoot.children) {
      if (child->name == "connections") connect(*child);
    }
    awake();
    if (topLevelObjects) {
      NSMutableArray* objects = NSMutableArray::arrayWithCapacity(topLevel.size());
      for (NSObject* object : topLevel) {
        if (object) objects->addObject(object);
      }
      *topLevelObjects = objects;
    }
  }

  // The value of a value element: a string, number, object, reference, array or nil.
  NSObject* valueOf(const NibElement& element) {
    const std::string& kind = element.name;
    if (kind == "string") return NSString::stringWithUTF8String(element.text.c_str());
    if (kind == "integer") return NSNumber::numberWithLongLong(integerText(element));
    if (kind == "real") return NSNumber::numberWithDouble(realText(element));
    if (kind == "bool") return NSNumber::numberWithBool(boolText(element));
    if (kind == "nil") return nullptr;
    if (kind == "object") return objectFor(element);
    if (kind == "reference") return endpoint(requiredAttribute(element, "ref"));
    if (kind == "array") {
      NSMutableArray* array = NSMutableArray::arrayWithCapacity(element.children.size());
      for (const auto& child : element.children) {
        NSObject* value = valueOf(*child);
        array->addObject(value ? value : NSNull::null());
      }
      return array;
    }
    malformed("unknown value element <" + kind + ">");
  }

  [[noreturn]] void malformed(const std::string& why) const {
    NSException::raise_format(NSInternalInconsistencyException, NSSTR("Malformed nib %s: %s"), mName.c_str(),
                              why.c_str());
  }

 private:
  void collectIDs(const NibElement& element) {
    for (const auto& child : element.children) {
      if (child->name == "object") {
        if (const std::string* id = child->attribute("id")) {
          if (*id == kOwnerID || !mElementsByID.emplace(*id, child.get()).second) malformed("duplicate id \"" + *id + "\"");
        }
      }
      collectIDs(*child);
    }
  }

  void instantiateRemaining(const NibElement& element) {
    for (const auto& child : element.children) {
      if (child->name == "object") objectFor(*child);
      instantiateRemaining(*child);
    }
  }

  NSObject* objectFor(const NibElement& element) {
    if (auto found = mObjects.find(&element); found != mObjects.end()) return found->second.get();
    if (!mInProgress.insert(&element).second) malformed("objects that need each other to be made");
    const std::string& className = requiredAttribute(element, "class");
    Class cls = objc_getClass(className.c_str());
    if (!cls) malformed("unknown class " + className);
    NSObject* allocated = class_createInstance(cls);
    if (!allocated) malformed("class " + className + " cannot be made by name");
    RefPtr<NibDecoder> coder = adopt(new NibDecoder(*this, element));
    // initWithCoder takes over alloc's reference and answers the object to use; one that
    // raises over a bad value has taken over nothing, so the reference is let go here.
    NSObject* initialized = nullptr;
    try {
      initialized = allocated->initWithCoder(coder.get());
    } catch (...) {
      allocated->release();
      throw;
    }
    RefPtr<NSObject> object = adopt(initialized);
    mInProgress.erase(&element);
    mObjects[&element] = object;
    if (object) mDecodeOrder.push_back(object.get());
    return object.get();
  }

  NSObject* endpoint(const std::string& id) {
    if (id == kOwnerID) return mOwner;
    auto found = mElementsByID.find(id);
    if (found == mElementsByID.end()) malformed("no object has the id \"" + id + "\"");
    return objectFor(*found->second);
  }

  void connect(const NibElement& connections) {
    for (const auto& connection : connections.children) {
      NSObject* source = endpoint(requiredAttribute(*connection, "source"));
      NSObject* destination = endpoint(requiredAttribute(*connection, "destination"));
      if (connection->name == "outlet") {
        NSString* key = string(requiredAttribute(*connection, "key"));
        if (source) source->setValue_forKey(destination, key);
      } else if (connection->name == "action") {
        NSString* selector = string(requiredAttribute(*connection, "selector"));
        if (source) {
          source->setValue_forKey(destination, NSSTR("target"));
          source->setValue_forKey(selector, NSSTR("action"));
        }
      } else if (connection->name == "binding") {
        NSString* binding = string(requiredAttribute(*connection, "binding"));
        NSString* keyPath = string(requiredAttribute(*connection, "keyPath"));
        NSDictionary* options = nullptr;
        if (const std::string* transformer = connection->attribute("transformer")) {
          options = NSDictionary::dictionaryWithObject_forKey(string(*transformer), NSValueTransformerNameBindingOption);
        }
        if (source && destination) source->bind_toObject_withKeyPath_options(binding, destination, keyPath, options);
      } else {
        malformed("unknown connection <" + connection->name + ">");
      }
    }
  }

  // Every object of the nib, then the owner; each once, however often the nib names it.
  void awake() {
    std::set<NSObject*> awakened;
    std::vector<RefPtr<NSObject>> order(mDecodeOrder.begin(), mDecodeOrder.end());
    if (mOwner) order.push_back(RefPtr(mOwner));
    for (const RefPtr<NSObject>& object : order) {
      if (awakened.insert(object.get()).second) object->awakeFromNib();
    }
  }

  const std::string& requiredAttribute(const NibElement& element, const char* name) const {
    const std::string* value = element.attribute(name);
    if (!value) malformed("<" + element.name + "> without " + name);
    return *value;
  }

  static NSString* string(const std::string& text) { return NSString::stringWithUTF8String(text.c_str()); }

  long long integerText(const NibElement& element) const {
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(element.text.c_str(), &end, 10);
    if (element.text.empty() || *end || errno) malformed("\"" + element.text + "\" is not an integer");
    return value;
  }

  double realText(const NibElement& element) const {
    char* end = nullptr;
    double value = std::strtod(element.text.c_str(), &end);
    if (element.text.empty() || *end) malformed("\"" + element.text + "\" is not a number");
    return value;
  }

  bool boolText(const NibElement& element) const {
    if (element.text == "YES" || element.text == "true" || element.text == "1") return true;
    if (element.text == "NO" || element.text == "false" || element.text == "0") return false;
    malformed("\"" + element.text + "\" is not a boolean");
  }

  const NibElement& mRoot;
  std::string mName;
  NSObject* mOwner;
  std::map<std::string, const NibElement*> mElementsByID;
  std::map<const NibElement*, RefPtr<NSObject>> mObjects;
  std::set<const NibElement*> mInProgress;
  std::vector<NSObject*> mDecodeOrder;
};

const NibElement* NibDecoder::valueElement(NSString* key) const {
  if (!key) return nullptr;
  const char* name = key->UTF8String();
  for (const auto& child : mElement->children) {
    const std::string* childKey = child->attribute("key");
    if (childKey && *childKey == name) return child.get();
  }
  return nullptr;
}

NSObject* NibDecoder::decodeObjectForKey(NSString* key) {
  const NibElement* element = valueElement(key);
  return element ? mLoader->valueOf(*element) : nullptr;
}

NSObject* NibDecoder::decodeObjectOfClass_forKey(Class cls, NSString* key) {
  return decodeObjectOfClasses_forKey({cls}, key);
}

NSObject* NibDecoder::decodeObjectOfClasses_forKey(const NSClassList& classes, NSString* key) {
  NSObject* value = decodeObjectForKey(key);
  for (Class cls : classes) {
    if (NSObjectIsKindOfClass(value, cls)) return value;
  }
  return nullptr;
}

NSNumber* NibDecoder::number(NSString* key) { return NSDynamicCast<NSNumber>(decodeObjectForKey(key)); }

bool NibDecoder::decodeBoolForKey(NSString* key) {
  NSNumber* value = number(key);
  return value && value->boolValue();
}

int64_t NibDecoder::decodeInt64ForKey(NSString* key) {
  NSNumber* value = number(key);
  return value ? value->longLongValue() : 0;
}

double NibDecoder::decodeDoubleForKey(NSString* key) {
  NSNumber* value = number(key);
  return value ? value->doubleValue() : 0;
}

}  // namespace

NSNib* NSNib::initWithNibNamed_bundle(NSString* nibName, NSBundle* bundle) {
  NSString* path = nibName ? (bundle ? bundle : NSBundle::mainBundle())->pathForResource_ofType(nibName, NSSTR("nib"))
                           : nullptr;
  NSData* data = path ? NSData::dataWithContentsOfFile(path) : nullptr;
  if (!data) {
    release();
    return nullptr;
  }
  mName = RefPtr(NSString::stringWithString(nibName));
  return initWithNibData_bundle(data, bundle);
}

NSNib* NSNib::initWithNibData_bundle(NSData* nibData, NSBundle*) {
  if (!nibData) {
    release();
    return nullptr;
  }
  mData = RefPtr(nibData);
  return this;
}

bool NSNib::instantiateWithOwner_topLevelObjects(NSObject* owner, NSArray** topLevelObjects) {
  std::unique_ptr<NibElement> root = Foundation::readNibDocument(mData->bytes(), mData->length());
  if (!root) {
    NSException::raise_format(NSInternalInconsistencyException, NSSTR("Malformed nib %s: the file is not well-formed XML"),
                              mName ? mName->UTF8String() : "(data)");
  }
  NibLoader(*root, mName.get(), owner).load(topLevelObjects);
  return true;
}
