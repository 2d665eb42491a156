#pragma once
// The user's settings of one application: a property list file per application in
// ~/Library/Preferences/<bundle identifier>.plist (the program's name when the main bundle has
// no identifier), read when the defaults are first used and written atomically by synchronize
// (and, for changes not yet written, when the process exits). Registered defaults answer
// for keys that have no value of their own and are never written.
#include <memory>
#include <mutex>
#include <string>

#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

class NSArray;
class NSData;
class NSDictionary;
class NSMutableDictionary;

class NSUserDefaults : public NSObject {
  OBJC_CLASS_DECL(NSUserDefaults, NSObject)

 public:
  static NSUserDefaults* standardUserDefaults();
  // Writes the shared defaults' changes and forgets them: the next standardUserDefaults reads
  // the file again (of the HOME set at that time).
  static void resetStandardUserDefaults();

  // Values are copied. A value that is not a property list raises NSInvalidArgumentException.
  void registerDefaults(NSDictionary* registrationDictionary);

  // Answers are autoreleased; null when the key has no value (or one of another type).
  NSObject* objectForKey(NSString* defaultName);
  void setObject_forKey(NSObject* value, NSString* defaultName);
  void removeObjectForKey(NSString* defaultName);

  NSString* stringForKey(NSString* defaultName);
  NSArray* arrayForKey(NSString* defaultName);
  NSDictionary* dictionaryForKey(NSString* defaultName);
  NSData* dataForKey(NSString* defaultName);
  // 0 or NO when the key has no number (or a string that reads as one).
  NSInteger integerForKey(NSString* defaultName);
  float floatForKey(NSString* defaultName);
  double doubleForKey(NSString* defaultName);
  bool boolForKey(NSString* defaultName);
  void setInteger_forKey(NSInteger value, NSString* defaultName);
  void setFloat_forKey(float value, NSString* defaultName);
  void setDouble_forKey(double value, NSString* defaultName);
  void setBool_forKey(bool value, NSString* defaultName);

  // Registered defaults and the application's values together.
  NSDictionary* dictionaryRepresentation();

  // Writes unsaved changes, or reads the file again when there are none (another process
  // may have written it). False when the file could not be written.
  bool synchronize();

  // The file the defaults live in.
  const std::string& path() const { return mPath; }

 protected:
  NSUserDefaults() = default;
  ~NSUserDefaults() override;

 private:
  friend struct StandardUserDefaults;
  NSUserDefaults* initWithPath(const std::string& path);
  // Writes unsaved changes, if any (reads nothing).
  bool writeChanges();
  void readFileLocked();
  bool writeFileLocked();
  NSObject* valueLocked(NSString* defaultName);

  std::mutex mLock;
  std::string mPath;
  RefPtr<NSMutableDictionary> mValues;
  RefPtr<NSMutableDictionary> mRegistered;
  bool mDirty = false;
  // The file held something that is not a property list: it is kept aside before a write.
  bool mUnreadableFile = false;
};

#pragma GCC visibility pop
