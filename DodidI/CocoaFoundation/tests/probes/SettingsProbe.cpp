// A small application whose settings must survive a restart: it registers its controllers,
// launches (restoring them), prints what it has, optionally changes the settings, and
// terminates (saving them).
//   SettingsProbe show            launch, print, terminate
//   SettingsProbe set LEVEL TITLE  launch, print, set the level and title, terminate
//   SettingsProbe clear           launch, print, clear the title, terminate
// A second controller is registered only after launching, as one a nib loads late would be.
#include <Foundation/NSApplicationLifecycle.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSUserDefaults.h>
#include <Foundation/NSValue.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "UPersistentObjectsController.h"

const char* g_CoreMachDebug_LogPrefix = "SettingsProbe";
const char* g_CoreMachDebug_LogFileName = "SettingsProbe.log";

class ProbeChannel : public NSObject, public NSObject_PersistentObjectsController {
  OBJC_CLASS_DECL(ProbeChannel, NSObject)

 public:
  NSSet* persistentObjectKeyPaths() const override {
    return NSSet::setWithObjects({NSSTR("level"), NSSTR("title"), NSSTR("volumes.left")});
  }
  double level() const { return mLevel; }
  void setLevel(double level) { mLevel = level; }

  double mLevel = 0.5;
  RefPtr<NSString> mTitle;
  RefPtr<NSMutableDictionary> mVolumes{NSMutableDictionary::dictionary()};
};
OBJC_CLASS_DEFINE(ProbeChannel)
NS_PROPERTIES(ProbeChannel, NS_PROPERTY("level", &ProbeChannel::level, &ProbeChannel::setLevel),
              NS_OUTLET("title", &ProbeChannel::mTitle), NS_OUTLET("volumes", &ProbeChannel::mVolumes))

class ProbeLate : public NSObject, public NSObject_PersistentObjectsController {
  OBJC_CLASS_DECL(ProbeLate, NSObject)

 public:
  NSSet* persistentObjectKeyPaths() const override { return NSSet::setWithObject(NSSTR("count")); }
  RefPtr<NSNumber> mCount;
};
OBJC_CLASS_DEFINE(ProbeLate)
NS_PROPERTIES(ProbeLate, NS_OUTLET("count", &ProbeLate::mCount))

static std::string text(NSObject* object) {
  return object ? NSString::stringWithFormat(NSSTR("%@"), object)->UTF8String() : "(nil)";
}

int main(int argc, char** argv) {
  objc::AutoreleasePool pool;
  std::string mode = argc > 1 ? argv[1] : "show";
  UPersistentObjectsController* controller =
      UPersistentObjectsController::sharedPersistentObjectsController();

  RefPtr<ProbeChannel> channel = adopt(static_cast<ProbeChannel*>(ProbeChannel::alloc()->init()));
  controller->registerPersistentObject(channel.get());
  NSApplicationLifecycle::finishLaunching(nullptr);
  RefPtr<ProbeLate> late = adopt(static_cast<ProbeLate*>(ProbeLate::alloc()->init()));
  controller->registerPersistentObject(late.get());

  std::printf("level=%g title=%s left=%s count=%s\n", channel->mLevel, text(channel->mTitle.get()).c_str(),
              text(channel->mVolumes->objectForKey(NSSTR("left"))).c_str(), text(late->mCount.get()).c_str());
  std::printf("defaults=%s\n", NSUserDefaults::standardUserDefaults()->path().c_str());

  if (mode == "set" && argc > 3) {
    channel->mLevel = std::atof(argv[2]);
    channel->mTitle = RefPtr(NSString::stringWithUTF8String(argv[3]));
    channel->mVolumes->setObject_forKey(NSNumber::numberWithInt(7), NSSTR("left"));
    late->mCount = RefPtr(NSNumber::numberWithInt(3));
  } else if (mode == "clear") {
    channel->mTitle = nullptr;
  }
  NSApplicationLifecycle::terminate(nullptr);
  return 0;
}
