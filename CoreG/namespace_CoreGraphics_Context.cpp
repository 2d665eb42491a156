#include "namespace_CoreGraphics_Context.h"

namespace CoreGraphics {

Context::Context(CGContextRef context) : mContext(CGContextRetain(context)) {}

Context::~Context() { CGContextRelease(mContext); }

}  // namespace CoreGraphics
