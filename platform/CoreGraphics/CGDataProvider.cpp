#include "backend/CGObjects.h"

CGDataProvider::~CGDataProvider() {
  if (releaseData) releaseData(info, bytes, size);
}

CFTypeID CGDataProviderGetTypeID(void) { return CGDataProvider::typeID(); }

CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData) {
  auto* provider = new CGDataProvider();
  provider->info = info;
  provider->bytes = static_cast<const UInt8*>(data);
  provider->size = data ? size : 0;
  provider->releaseData = releaseData;
  return provider;
}

CGDataProviderRef CGDataProviderCreateWithCFData(CFDataRef data) {
  if (!data) return nullptr;
  auto* provider = new CGDataProvider();
  provider->data = RefPtr(data);
  provider->bytes = CFDataGetBytePtr(data);
  provider->size = size_t(CFDataGetLength(data));
  return provider;
}

CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider) { return cgRetain(provider); }
void CGDataProviderRelease(CGDataProviderRef provider) { cgRelease(provider); }

CFDataRef CGDataProviderCopyData(CGDataProviderRef provider) {
  if (!provider) return nullptr;
  return CFDataCreate(nullptr, provider->bytes, CFIndex(provider->size));
}
