#pragma once
// Type checks of CoreFoundation references, and the owning reference that the utility
// library's CF wrappers share.
#include <CoreFoundation/CFBase.h>

#include <exception>

// Whether a wrapper releases the reference it holds when it lets it go.
enum CFTypeRef_Ownership : SInt32 {
  kCFTypeRef_NotOwned = 0,
  kCFTypeRef_Owned = 1,
};

class CFTypeRefClass {
 public:
  class TypeException : public std::exception {
   public:
    ~TypeException() override;
  };

  // Throws TypeException when the object is null or not of that type.
  static void ThrowIfNotTypeMatch(CFTypeRef object, CFTypeID typeID);
};

// The type id a wrapper of T checks against.
template <class T>
CFTypeID CFTypeIDOf();
template <>
CFTypeID CFTypeIDOf<CFStringRef>();

template <class T>
class T_CFTypeRef {
 public:
  T_CFTypeRef() = default;
  T_CFTypeRef(const T_CFTypeRef&) = delete;
  T_CFTypeRef& operator=(const T_CFTypeRef&) = delete;
  ~T_CFTypeRef() { release(); }

  // Lets the held reference go and holds the new one. False for null; a reference of another
  // type throws CFTypeRefClass::TypeException.
  bool construct(T reference, CFTypeRef_Ownership ownership) {
    release();
    if (!reference) return false;
    if (CFGetTypeID(reference) != CFTypeIDOf<T>() && ownership == kCFTypeRef_Owned) CFRelease(reference);
    CFTypeRefClass::ThrowIfNotTypeMatch(reference, CFTypeIDOf<T>());
    mValueRef = reference;
    mOwnership = ownership;
    return true;
  }

  // Lets the held reference go (releasing it when owned).
  void release() {
    if (mValueRef && mOwnership == kCFTypeRef_Owned) CFRelease(mValueRef);
    mValueRef = nullptr;
    mOwnership = kCFTypeRef_NotOwned;
  }

  T Get() const { return mValueRef; }
  bool IsTypeValid() const { return mValueRef && CFGetTypeID(mValueRef) == CFTypeIDOf<T>(); }
  bool IsValid() const { return IsTypeValid(); }

 protected:
  T mValueRef = nullptr;
  CFTypeRef_Ownership mOwnership = kCFTypeRef_NotOwned;
};
