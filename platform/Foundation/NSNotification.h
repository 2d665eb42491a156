#pragma once
// A notification: a name, the object that posted it and optional details.
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

class NSDictionary;

class NSNotification : public NSObject {
  OBJC_CLASS_DECL(NSNotification, NSObject)

 public:
  // Autoreleased.
  static NSNotification* notificationWithName_object_userInfo(NSString* name, NSObject* object, NSDictionary* userInfo);

  NSNotification* initWithName_object_userInfo(NSString* name, NSObject* object, NSDictionary* userInfo);

  NSString* name() const { return mName.get(); }
  NSObject* object() const { return mObject.get(); }
  NSDictionary* userInfo() const { return mUserInfo.get(); }

 protected:
  NSNotification() = default;

 private:
  RefPtr<NSString> mName;
  RefPtr<NSObject> mObject;
  RefPtr<NSDictionary> mUserInfo;
};

#pragma GCC visibility pop
