#pragma once
// Class methods that subclasses override, called on "the receiver's class":
//   [[self class] classNibName]  is  objc::classMethods<NSUIViewNibbler>(classObject()).classNibName(classObject())
// T is the class that declares the method (its Meta has it); cls is the receiving class,
// which may be any subclass of T and answers with its own override.
//
//   class NSUIViewNibbler : public NSView {
//     OBJC_CLASS_DECL(NSUIViewNibbler, NSView)
//    public:
//     struct Meta : NSView::Meta {
//       virtual NSString* classNibName(Class cls) const;  // the class's name by default
//     };
//   };
#include <cassert>

#include <objc/NSObject.h>
#include <objc/runtime.h>

#pragma GCC visibility push(default)

namespace objc {

template <class T>
const typename T::Meta& classMethods(Class cls) {
  if (auto* meta = dynamic_cast<const typename T::Meta*>(class_getMeta(cls))) return *meta;
  // Not a subclass of T: T's own class methods answer.
  auto* own = dynamic_cast<const typename T::Meta*>(class_getMeta(T::class_()));
  assert(own);
  return *own;
}

}  // namespace objc

#pragma GCC visibility pop
