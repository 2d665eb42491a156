#pragma once
// A controller of content: it makes new objects of its object class (a mutable dictionary
// unless set; from a nib, "objectClassName") and announces changes of "content" to key-value
// observers.
#include <Foundation/NSObject.h>

#include <AppKit/AppKitDefines.h>

class NSCoder;

class APPKIT_CLASS NSObjectController : public NSObject {
  OBJC_CLASS_DECL(NSObjectController, NSObject)

 public:
  NSObject* init() override;
  virtual NSObjectController* initWithContent(NSObject* content);
  NSObject* initWithCoder(NSCoder* coder) override;

  NSObject* content() const { return mContent.get(); }
  virtual void setContent(NSObject* content);
  Class objectClass() const { return mObjectClass; }
  void setObjectClass(Class cls) { mObjectClass = cls; }
  // A new instance of the object class (+1); null when the class cannot be made.
  virtual NSObject* newObject();
  virtual void addObject(NSObject* object);
  virtual void removeObject(NSObject* object);
  bool isEditable() const { return mEditable; }
  void setEditable(bool flag) { mEditable = flag; }

 protected:
  NSObjectController() = default;
  ~NSObjectController() override;

  RefPtr<NSObject> mContent;

 private:
  Class mObjectClass = nullptr;
  bool mEditable = true;
};
