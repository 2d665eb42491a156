#include "UVideoFrameBuffer_Base.h"

namespace UVideoFrameBuffer {

Base::Base() {
  mFrameLock.ZeroContents();
  mFrameLock.Create();
}

Base::~Base() { mFrameLock.Destroy(); }

bool Base::Construct(CGSize) { return false; }
bool Base::Construct(IOSurfaceRef) { return false; }
bool Base::Construct(const Format&) { return false; }

bool Base::TryLockFrameBuffer() { return mFrameLock.mCreated && mFrameLock.TryLock(); }

void Base::UnlockFrameBuffer() {
  if (mFrameLock.mCreated) mFrameLock.Unlock();
}

}  // namespace UVideoFrameBuffer
