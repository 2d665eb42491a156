#include "I_CFBundleDLL.h"

I_CFBundleDLL::~I_CFBundleDLL() { releaseBundle(); }

void I_CFBundleDLL::releaseBundle() {
  if (mBundle) CFRelease(mBundle);
  mBundle = nullptr;
}

bool I_CFBundleDLL::LoadFromURL(CFURLRef url) {
  if (!url) return false;
  releaseBundle();
  mBundle = CFBundleCreate(nullptr, url);
  if (!mBundle) return false;
  return CFBundleLoadExecutable(mBundle);
}

bool I_CFBundleDLL::Unload() {
  if (!IsLoaded()) {
    // A bundle whose executable never loaded is still ours to let go.
    releaseBundle();
    return false;
  }
  CFBundleUnloadExecutable(mBundle);
  releaseBundle();
  return true;
}

bool I_CFBundleDLL::IsLoaded() const { return mBundle && CFBundleIsExecutableLoaded(mBundle); }

void* I_CFBundleDLL::FunctionPointerForName(CFStringRef name) const {
  if (!IsLoaded() || !name) return nullptr;
  return CFBundleGetFunctionPointerForName(mBundle, name);
}
