#include <AppKit/NSObjectController.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSString.h>

OBJC_CLASS_DEFINE(NSObjectController)

NS_PROPERTIES(NSObjectController,
              NS_PROPERTY("content", &NSObjectController::content, &NSObjectController::setContent))

NSObjectController::~NSObjectController() = default;

NSObject* NSObjectController::init() { return initWithContent(nullptr); }

NSObjectController* NSObjectController::initWithContent(NSObject* content) {
  mObjectClass = NSMutableDictionary::class_();
  if (content) setContent(content);
  return this;
}

NSObject* NSObjectController::initWithCoder(NSCoder* coder) {
  mObjectClass = NSMutableDictionary::class_();
  auto* name = NSDynamicCast<NSString>(coder->decodeObjectForKey(NSSTR("objectClassName")));
  if (Class named = name ? objc_getClass(name->UTF8String()) : nullptr) mObjectClass = named;
  return this;
}

void NSObjectController::setContent(NSObject* content) {
  willChangeValueForKey(NSSTR("content"));
  mContent = RefPtr<NSObject>(content);
  didChangeValueForKey(NSSTR("content"));
}

NSObject* NSObjectController::newObject() {
  // The bridged dictionaries are made by CoreFoundation, not by alloc.
  if (mObjectClass && class_isSubclassOfClass(mObjectClass, NSDictionary::class_())) {
    return NSMutableDictionary::dictionary()->retain();
  }
  NSObject* object = mObjectClass ? class_createInstance(mObjectClass) : nullptr;
  return object ? object->init() : nullptr;
}

void NSObjectController::addObject(NSObject* object) { setContent(object); }

void NSObjectController::removeObject(NSObject* object) {
  if (object && object == mContent.get()) setContent(nullptr);
}
