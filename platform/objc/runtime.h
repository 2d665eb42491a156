#pragma once
// The class runtime: one class object per class, with its name, superclass and factory,
// found by name through the class registry (NSClassFromString).
#include <cstdint>

#pragma GCC visibility push(default)

class NSObject;

// The class methods of a class that subclasses override (+allocWithZone:, +instanceKey,
// +classNibName...): one object per class, of a type deriving from the superclass's. A class
// that overrides class methods declares `struct Meta : Super::Meta { ... };`; a class that does
// not inherits its superclass's Meta type. See objc::classMethods in objc/ClassMethods.h.
struct objc_metaclass {
  virtual ~objc_metaclass() = default;
};

struct objc_class {
  const char* name;
  const objc_class* superclass;
  // +alloc: a new, uninitialised instance; null for classes that cannot be made by name.
  NSObject* (*allocate)();
  // Null for classes that take their class methods from their superclass.
  const objc_metaclass* meta = nullptr;
};
typedef const objc_class* Class;

// Adds a class to the registry (done once per class by OBJC_CLASS_DEFINE); answers the class.
Class objc_registerClass(const objc_class* cls);
Class objc_getClass(const char* name);
bool class_isSubclassOfClass(Class cls, Class ancestor);
const char* class_getName(Class cls);
Class class_getSuperclass(Class cls);
// The class-method object of cls: its own, or the nearest superclass's.
const objc_metaclass* class_getMeta(Class cls);
// +alloc through the class's class methods (+allocWithZone:): the new instance (+1), or the
// object a class such as a nib singleton answers instead; null when cls cannot be made.
NSObject* class_createInstance(Class cls);

// Autorelease pools: each thread has a base pool drained when the thread ends, so an
// autoreleased object is never lost; push/pop nest inner pools.
void* objc_autoreleasePoolPush();
void objc_autoreleasePoolPop(void* pool);

namespace objc {
class AutoreleasePool {
 public:
  AutoreleasePool() : mPool(objc_autoreleasePoolPush()) {}
  ~AutoreleasePool() { objc_autoreleasePoolPop(mPool); }
  AutoreleasePool(const AutoreleasePool&) = delete;
  AutoreleasePool& operator=(const AutoreleasePool&) = delete;

 private:
  void* mPool;
};
}  // namespace objc

// Declares the class object and the runtime methods of an Objective-C class.
//   class NSUIToolButton : public NSButton { OBJC_CLASS_DECL(NSUIToolButton, NSButton) ... };
#define OBJC_CLASS_DECL(Name, Super)                                       \
 public:                                                                   \
  using super = Super;                                                     \
  static Class class_();                                                   \
  Class classObject() const override { return Name::class_(); }            \
  static Name* alloc() { return static_cast<Name*>(class_createInstance(class_())); } \
                                                                           \
 private:

// Defines the class object of a class declared with OBJC_CLASS_DECL and registers it at load.
#define OBJC_CLASS_DEFINE(Name)                                                          \
  Class Name::class_() {                                                                 \
    static const Name::Meta meta{};                                                      \
    static const objc_class cls{#Name, Name::super::class_(),                            \
                                []() -> NSObject* { return new Name(); }, &meta};        \
    return &cls;                                                                         \
  }                                                                                      \
  [[maybe_unused]] static const Class objc_class_registration_##Name =                   \
      objc_registerClass(Name::class_());

// For abstract classes or classes without a default constructor.
#define OBJC_CLASS_DEFINE_NO_FACTORY(Name)                                               \
  Class Name::class_() {                                                                 \
    static const Name::Meta meta{};                                                      \
    static const objc_class cls{#Name, Name::super::class_(), nullptr, &meta};           \
    return &cls;                                                                         \
  }                                                                                      \
  [[maybe_unused]] static const Class objc_class_registration_##Name =                   \
      objc_registerClass(Name::class_());

// CoreFoundation type ids: each CF type registers its name once and gets the next id
// (ids start at 1; 0 is never a type). CFCopyTypeIDDescription reads the name back.
unsigned long _CFRuntimeRegisterClass(const char* name);
const char* _CFRuntimeGetClassName(unsigned long typeID);

#pragma GCC visibility pop
