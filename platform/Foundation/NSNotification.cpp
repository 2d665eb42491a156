#include <Foundation/NSNotification.h>

#include <Foundation/NSDictionary.h>
#include <objc/MethodTable.h>

OBJC_CLASS_DEFINE(NSNotification)
OBJC_METHODS(NSNotification, OBJC_METHOD("name", &NSNotification::name), OBJC_METHOD("object", &NSNotification::object),
             OBJC_METHOD("userInfo", &NSNotification::userInfo))

NSNotification* NSNotification::notificationWithName_object_userInfo(NSString* name, NSObject* object,
                                                                     NSDictionary* userInfo) {
  NSNotification* notification = alloc()->initWithName_object_userInfo(name, object, userInfo);
  notification->autorelease();
  return notification;
}

NSNotification* NSNotification::initWithName_object_userInfo(NSString* name, NSObject* object, NSDictionary* userInfo) {
  mName = RefPtr(NSString::stringWithString(name));
  mObject = RefPtr(object);
  mUserInfo = RefPtr(userInfo);
  return this;
}
