#pragma once
// A named collection of designs (code strings) from three layers: the built-in file
// "<category>.plist" of the main bundle (name to settings dictionary), a copy kept in the user
// defaults, and Atom feeds on the web (name to feed item, whose content is the code string).
// designDictionary is the built-in layer overlaid by the feed layer.
//
// A refresh downloads the feed in the background and replaces the feed layer only with a feed
// that arrived and has entries: a failed download, a page that is no feed or a feed without
// entries leave the designs downloaded before as they were. A second (update) feed merges its
// items into the feed layer; built-in designs are never copied into it, so the saved copy holds
// only what feeds delivered.
#include <Foundation/NSDictionary.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <Foundation/NSURL.h>
#include <objc/WeakPtr.h>

#include <mutex>

#include "ATOM_FEED_HTTP_GET.h"
#include "NSUIDesignCodes.h"
#include "UAtomicProperty.h"

int import_NSUIDesignFeed();

class NSUIDesignFeed;

// What a feed's delegate hears after each refresh.
class NSUIDesignFeedProtocol {
 public:
  virtual void designFeedUpdated(NSObject* sender) = 0;

 protected:
  ~NSUIDesignFeedProtocol() = default;
};

class NSUIDesignFeed : public NSObject {
  OBJC_CLASS_DECL(NSUIDesignFeed, NSObject)

 public:
  // Autoreleased.
  static NSUIDesignFeed* designFeedWithCategory_feedURL_prefsKey_updateURL(NSString* category,
                                                                           NSString* feedURL,
                                                                           NSString* prefsKey,
                                                                           NSString* updateURL);
  static NSUIDesignFeed* designFeedWithCategory_feedURL_prefsKey(NSString* category, NSString* feedURL,
                                                                 NSString* prefsKey);
  NSUIDesignFeed* initFeedWithCategory_feedURL_prefsKey_updateURL(NSString* category, NSString* feedURL,
                                                                  NSString* prefsKey, NSString* updateURL);

  virtual NSDictionary* designDictionary();
  void setDesignDictionary(NSDictionary*) {}
  // Sorted ignoring case; empty when there are none.
  NSArray* designNames();
  // The feed item's content, or null.
  NSString* feedDesignCodeStringForDesignNamed(NSString* name);
  // The feed's code string, else the built-in design written as one, else an empty design.
  NSString* designCodeStringForDesignNamed(NSString* name);
  NSUIDesignCodes* designNamed(NSString* name);

  void refreshFeedDictionaryFromWebWithHTTP();
  void thread_HTTP_GET_primary_completed(ATOM_FEED_HTTP_GET* request);
  void thread_HTTP_GET_secondary_completed(ATOM_FEED_HTTP_GET* request);
  // Merges feed items (name to item) into the feed layer.
  void updateDesignDictionary(NSObject* update);
  virtual void designDictionaryChanged(NSObject* sender);

  // Stores the feed layer under prefsKey (not synchronized); NO without either or when it
  // cannot be archived.
  bool saveToUserDefaults();

  static NSDictionary* builtinDesignsWithCategoryName(NSString* category);
  // An empty dictionary for an unreadable file, null for a file that is no design archive.
  static NSDictionary* loadDesignsPropertyListWithURL(NSURL* url);
  static bool saveDesigns_propertyListWithURL(NSDictionary* designs, NSURL* url);
  // An empty dictionary for a null key or nothing stored, null for unreadable data.
  static NSDictionary* designsDictionaryFromPrefs(NSString* key);
  static bool setPrefsDesignsDictionary_prefsKey(NSDictionary* designs, NSString* key);

  NSString* description() const;
  const __CFString* copyDescription() const override;

  NSString* categoryName() const { return mCategoryName.get(); }
  void setCategoryName(NSString* name) { mCategoryName.set(name); }
  NSString* feedURL() const { return mFeedURL.get(); }
  void setFeedURL(NSString* url) { mFeedURL.set(url); }
  NSString* updateURL() const { return mUpdateURL.get(); }
  void setUpdateURL(NSString* url) { mUpdateURL.set(url); }
  NSString* prefsKey() const { return mPrefsKey.get(); }
  void setPrefsKey(NSString* key) { mPrefsKey.set(key); }
  NSDictionary* builtinDesignDictionary() const { return mBuiltin.get(); }
  void setBuiltinDesignDictionary(NSDictionary* designs) { mBuiltin.set(designs); }
  NSDictionary* feedDesignDictionary() const { return mFeed.get(); }
  void setFeedDesignDictionary(NSDictionary* designs) { mFeed.set(designs); }
  ATOM_FEED_HTTP_GET* http_get() const { return mHTTPGet.get(); }
  void setHttp_get(ATOM_FEED_HTTP_GET* request) { mHTTPGet.set(request); }
  NSObject* delegate() const { return mDelegate.get().get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }

 protected:
  NSUIDesignFeed() = default;
  // The built-in layer overlaid by the feed layer.
  NSDictionary* mergedDesignDictionary();
  std::recursive_mutex mLock;

 private:
  UAtomicProperty<NSString> mCategoryName;
  UAtomicProperty<NSString> mFeedURL;
  UAtomicProperty<NSString> mUpdateURL;
  UAtomicProperty<NSString> mPrefsKey;
  UAtomicProperty<NSDictionary> mBuiltin;
  UAtomicProperty<NSDictionary> mFeed;
  UAtomicProperty<ATOM_FEED_HTTP_GET> mHTTPGet;
  WeakPtr<NSObject> mDelegate;
};
