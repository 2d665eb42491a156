#include <Foundation/NSAutoreleasePool.h>

OBJC_CLASS_DEFINE(NSAutoreleasePool)

NSAutoreleasePool* NSAutoreleasePool::init() {
  mPool = objc_autoreleasePoolPush();
  return this;
}

void NSAutoreleasePool::drain() {
  if (mPool) objc_autoreleasePoolPop(mPool);
  mPool = nullptr;
  release();
}
