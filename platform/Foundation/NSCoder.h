#pragma once
// Keyed coding. A class whose objects can be archived implements NSCoding beside NSObject
// and overrides NSObject's initWithCoder:
//
//   class ATOM_FEED_ITEM : public NSObject, public NSCoding {
//     void encodeWithCoder(NSCoder* coder) override;     // coder->encodeObject_forKey(title, key) ...
//     NSObject* initWithCoder(NSCoder* coder) override;  // reads its fields, answers this
//   };
//
// The unarchiver finds the class by the name written in the archive (the class registry),
// makes an instance with alloc() and calls initWithCoder, which, like init, takes over the
// reference that alloc made and answers the object to use (+1), or null after releasing
// itself. Only classes that implement NSCoding are decoded from archives.
#include <cstdint>
#include <vector>

#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>

#pragma GCC visibility push(default)

class NSCoder;
class NSError;
class NSString;

class NSCoding {
 public:
  virtual void encodeWithCoder(NSCoder* coder) = 0;

 protected:
  ~NSCoding() = default;
};

// The classes an unarchiver may make: an object is made only when its class is one of these
// or a subclass of one.
typedef std::vector<Class> NSClassList;

// The error codes of coding failures (in NSCocoaErrorDomain).
enum : NSInteger {
  NSCoderReadCorruptError = 4864,
  NSCoderValueNotFoundError = 4865,
  NSCoderInvalidValueError = 4866,
};

// The coder interface that NSCoding classes call; NSKeyedArchiver writes and
// NSKeyedUnarchiver reads. A coder only does one direction: the other direction's methods
// report misuse and do nothing.
class NSCoder : public NSObject {
  OBJC_CLASS_DECL(NSCoder, NSObject)

 public:
  virtual bool allowsKeyedCoding() const { return true; }
  virtual bool requiresSecureCoding() const { return true; }

  virtual void encodeObject_forKey(NSObject* object, NSString* key);
  virtual void encodeBool_forKey(bool value, NSString* key);
  virtual void encodeInt_forKey(int value, NSString* key);
  virtual void encodeInt32_forKey(int32_t value, NSString* key);
  virtual void encodeInt64_forKey(int64_t value, NSString* key);
  virtual void encodeInteger_forKey(NSInteger value, NSString* key);
  virtual void encodeFloat_forKey(float value, NSString* key);
  virtual void encodeDouble_forKey(double value, NSString* key);
  virtual void encodeBytes_length_forKey(const uint8_t* bytes, NSUInteger length, NSString* key);

  virtual bool containsValueForKey(NSString* key);
  // The decoders answer autoreleased objects, or null (absent, nil, or refused: then error()
  // says why and every later decode answers null too).
  virtual NSObject* decodeObjectForKey(NSString* key);
  virtual NSObject* decodeObjectOfClass_forKey(Class cls, NSString* key);
  virtual NSObject* decodeObjectOfClasses_forKey(const NSClassList& classes, NSString* key);
  virtual bool decodeBoolForKey(NSString* key);
  virtual int decodeIntForKey(NSString* key);
  virtual int32_t decodeInt32ForKey(NSString* key);
  virtual int64_t decodeInt64ForKey(NSString* key);
  virtual NSInteger decodeIntegerForKey(NSString* key);
  virtual float decodeFloatForKey(NSString* key);
  virtual double decodeDoubleForKey(NSString* key);
  // Bytes that live as long as the coder; null when absent.
  virtual const uint8_t* decodeBytesForKey_returnedLength(NSString* key, NSUInteger* length);

  // Stops the coding: later decodes answer null and error() answers this error.
  virtual void failWithError(NSError* error);
  NSError* error() const;

 protected:
  NSCoder() = default;
  ~NSCoder() override;

 private:
  void reportMisuse(const char* method) const;

  NSError* mError = nullptr;
};

#pragma GCC visibility pop
