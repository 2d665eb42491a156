#pragma once
// A typed "contents" parameter for controls that take drops: a name, a file path or a URL,
// all kept as strings, read and written as string parameter values; every change sends the
// control's action with the control. Controls that keep contents derive from
// category_NSUIDropViewParam and override the storage primitives; others keep nothing.
#include <cstdint>

#include <AppKit/NSControl.h>

class NSURL;

int import_category_NSUIDropViewParam();

typedef uint32_t NSUIDropViewParamContentsType;
enum : uint32_t {
  kNSUIDropViewParamNone = 0,
  kNSUIDropViewParamName = 1,
  kNSUIDropViewParamPath = 2,
  kNSUIDropViewParamURL = 3,
};

// The object that may cache a URL's resource as a file.
class NSUIDropViewParamURLDelegate {
 public:
  // A path of a cached copy of the URL's resource, or null.
  virtual NSString* getURLCachedPathName(NSURL* url) = 0;

 protected:
  ~NSUIDropViewParamURLDelegate() = default;
};

class category_NSUIDropViewParam {
 public:
  // Storage primitives.
  virtual NSObject* contents() { return nullptr; }
  virtual NSUIDropViewParamContentsType contentsType() { return kNSUIDropViewParamNone; }
  virtual void setContents_type(NSObject* contents, NSUIDropViewParamContentsType type) {}
  virtual void clearContents() {}
  virtual NSObject* contentsURLDelegate() { return nullptr; }

  // Typed accessors of any control (the primitives of one that keeps nothing answer nothing).
  static void setContentsParamValue_type(NSControl* control, NSString* value, NSUIDropViewParamContentsType type);
  static NSString* nameParamValue(NSControl* control);
  static void setNameParamValue(NSControl* control, NSString* name);
  static NSString* pathParamValue(NSControl* control);
  static void setPathParamValue(NSControl* control, NSString* path);
  static NSString* URLParamValue(NSControl* control);
  // A URL that the delegate has cached is kept as its file path; a string that is no URL
  // changes nothing and sends nothing.
  static void setURLParamValue(NSControl* control, NSString* url);

  // The view's action, at once, with the view.
  static void controlContentsChanged(NSView* view, NSObject* sender);
  // Strokes the view's bounds in the control tint, 6 wide (half of it clipped).
  static void drawRectDropHighlight(NSView* view, NSRect rect);

 protected:
  ~category_NSUIDropViewParam() = default;
};
