#include <Foundation/NSCoder.h>
#include <Foundation/NSError.h>

#include <cstdio>

OBJC_CLASS_DEFINE_NO_FACTORY(NSCoder)

NSCoder::~NSCoder() { objc_release(mError); }

void NSCoder::reportMisuse(const char* method) const {
  std::fprintf(stderr, "-[%s %s]: this coder does not code in that direction\n", className(), method);
}

void NSCoder::encodeObject_forKey(NSObject*, NSString*) { reportMisuse("encodeObject:forKey:"); }
void NSCoder::encodeBool_forKey(bool, NSString*) { reportMisuse("encodeBool:forKey:"); }
void NSCoder::encodeInt_forKey(int, NSString*) { reportMisuse("encodeInt:forKey:"); }
void NSCoder::encodeInt32_forKey(int32_t, NSString*) { reportMisuse("encodeInt32:forKey:"); }
void NSCoder::encodeInt64_forKey(int64_t, NSString*) { reportMisuse("encodeInt64:forKey:"); }
void NSCoder::encodeInteger_forKey(NSInteger, NSString*) { reportMisuse("encodeInteger:forKey:"); }
void NSCoder::encodeFloat_forKey(float, NSString*) { reportMisuse("encodeFloat:forKey:"); }
void NSCoder::encodeDouble_forKey(double, NSString*) { reportMisuse("encodeDouble:forKey:"); }
void NSCoder::encodeBytes_length_forKey(const uint8_t*, NSUInteger, NSString*) {
  reportMisuse("encodeBytes:length:forKey:");
}

bool NSCoder::containsValueForKey(NSString*) {
  reportMisuse("containsValueForKey:");
  return false;
}
NSObject* NSCoder::decodeObjectForKey(NSString*) {
  reportMisuse("decodeObjectForKey:");
  return nullptr;
}
NSObject* NSCoder::decodeObjectOfClass_forKey(Class, NSString*) {
  reportMisuse("decodeObjectOfClass:forKey:");
  return nullptr;
}
NSObject* NSCoder::decodeObjectOfClasses_forKey(const NSClassList&, NSString*) {
  reportMisuse("decodeObjectOfClasses:forKey:");
  return nullptr;
}
bool NSCoder::decodeBoolForKey(NSString*) {
  reportMisuse("decodeBoolForKey:");
  return false;
}
int NSCoder::decodeIntForKey(NSString*) {
  reportMisuse("decodeIntForKey:");
  return 0;
}
int32_t NSCoder::decodeInt32ForKey(NSString*) {
  reportMisuse("decodeInt32ForKey:");
  return 0;
}
int64_t NSCoder::decodeInt64ForKey(NSString*) {
  reportMisuse("decodeInt64ForKey:");
  return 0;
}
NSInteger NSCoder::decodeIntegerForKey(NSString*) {
  reportMisuse("decodeIntegerForKey:");
  return 0;
}
float NSCoder::decodeFloatForKey(NSString*) {
  reportMisuse("decodeFloatForKey:");
  return 0;
}
double NSCoder::decodeDoubleForKey(NSString*) {
  reportMisuse("decodeDoubleForKey:");
  return 0;
}
const uint8_t* NSCoder::decodeBytesForKey_returnedLength(NSString*, NSUInteger* length) {
  reportMisuse("decodeBytesForKey:returnedLength:");
  if (length) *length = 0;
  return nullptr;
}

void NSCoder::failWithError(NSError* error) {
  if (mError || !error) return;  // the first failure is the one that explains the rest
  objc_retain(error);
  mError = error;
}

NSError* NSCoder::error() const { return mError; }
