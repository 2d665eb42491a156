#pragma once
// The types shared by every part of the dispatch library.
//
// Blocks are std::function objects; each call that takes a block has a twin ending in _f
// that takes a context pointer and a plain function.
#include <cstddef>
#include <cstdint>
#include <functional>

#define DISPATCH_EXPORT extern "C" __attribute__((visibility("default")))

struct dispatch_object_s;
struct dispatch_queue_s;
struct dispatch_source_s;
struct dispatch_group_s;
struct dispatch_semaphore_s;

typedef struct dispatch_queue_s* dispatch_queue_t;
typedef struct dispatch_source_s* dispatch_source_t;
typedef struct dispatch_group_s* dispatch_group_t;
typedef struct dispatch_semaphore_s* dispatch_semaphore_t;

typedef std::function<void()> dispatch_block_t;
typedef void (*dispatch_function_t)(void* context);

// Any dispatch object, as the calls that take every kind of object (retain, release,
// context, suspend) accept it.
class __attribute__((visibility("default"))) dispatch_object_t {
 public:
  dispatch_object_t(std::nullptr_t) {}
  dispatch_object_t(dispatch_queue_t queue);
  dispatch_object_t(dispatch_source_t source);
  dispatch_object_t(dispatch_group_t group);
  dispatch_object_t(dispatch_semaphore_t semaphore);

  dispatch_object_s* object() const { return mObject; }

 private:
  dispatch_object_s* mObject = nullptr;
};
