#pragma once
// The factory side of a driver: its plug-in name and factory id, and the count of references
// that the audio server holds through the COM interface.
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFUUID.h>
#include <objc/RefPtr.h>

#include <atomic>

class CFAudioServerPlugInAbstract {
 public:
  // An argument of the wrong type is reported and its member left null.
  CFAudioServerPlugInAbstract(CFStringRef inPlugInName, CFUUIDRef inFactoryID);
  virtual ~CFAudioServerPlugInAbstract();
  CFAudioServerPlugInAbstract(const CFAudioServerPlugInAbstract&) = delete;
  CFAudioServerPlugInAbstract& operator=(const CFAudioServerPlugInAbstract&) = delete;

  // Counts a new instance of the factory with CFPlugIn and one reference more.
  void CreateInstance(CFUUIDRef inTypeUUID);

  // The reference count, changed atomically; nothing is freed when it reaches 0.
  SInt32 AddReference() { return mReferenceCount.fetch_add(1) + 1; }
  SInt32 RemoveReference() { return mReferenceCount.fetch_sub(1) - 1; }
  SInt32 ReferenceCount() const { return mReferenceCount.load(); }

  CFStringRef PlugInName() const { return mPlugInName.get(); }
  CFUUIDRef FactoryID() const { return mFactoryID.get(); }

 private:
  RefPtr<const __CFUUID> mFactoryID;
  RefPtr<const __CFString> mPlugInName;
  std::atomic<SInt32> mReferenceCount{0};
};
