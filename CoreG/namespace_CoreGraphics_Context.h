#pragma once
// The base of the drawing wrappers: one context reference of its own.
#include <CoreGraphics/CoreGraphics.h>

namespace CoreGraphics {

class Context {
 public:
  Context() = default;
  explicit Context(CGContextRef context);
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  CGContextRef GetContext() const { return mContext; }

 protected:
  CGContextRef mContext = nullptr;
};

}  // namespace CoreGraphics
