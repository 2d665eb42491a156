#pragma once
// What an object carries beside its own fields, kept outside it so that every object of the
// layer (CF types included) can have it: the box that its zeroing weak references share, and
// state attached to it by other layers (its key-value observers, its bindings). Both go when
// the object deallocates: weak references are cleared before its destructors run, then the
// attached state is destroyed.
#include <memory>

#pragma GCC visibility push(default)

class NSObject;

namespace objc {

// State that lives exactly as long as the object it is attached to.
class AttachedState {
 public:
  virtual ~AttachedState() = default;
};

// The state attached under `key` (any unique address), or null.
AttachedState* attachedState(const NSObject* object, const void* key);
// Attaches `state` under `key` unless a state is already there; answers the state attached.
AttachedState* attachState(const NSObject* object, const void* key, std::unique_ptr<AttachedState> state);

// The state of type S under `key`, made when there is none. The caller holds a reference to
// the object, so the state stays while it is used.
template <class S>
S& attachedStateOf(const NSObject* object, const void* key) {
  if (auto* state = attachedState(object, key)) return static_cast<S&>(*state);
  return static_cast<S&>(*attachState(object, key, std::make_unique<S>()));
}

// The box of an object's weak references: it answers the object while it lives.
class WeakBox {
 public:
  // The object, retained (+1), or null once its last reference has gone.
  NSObject* retainObject() const;
  // The object's address, for comparing identity; null once cleared.
  const NSObject* address() const;

 private:
  friend struct SideTableAccess;
  const NSObject* mObject = nullptr;
};

// The shared box of the object's weak references (made on first use); null for null.
std::shared_ptr<WeakBox> weakBox(const NSObject* object);

}  // namespace objc

// Called by the root class when the last reference goes, and by its destructor.
void objc_clearSideTable(const NSObject* object);

#pragma GCC visibility pop
