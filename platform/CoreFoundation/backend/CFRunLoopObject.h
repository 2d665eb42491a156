#pragma once
// The run loop object. Each mode has its own epoll set holding the loop's wake-up eventfd,
// the descriptor sources of the mode and, on the main loop's common modes, the main dispatch
// queue's eventfd; running a mode is waiting on its set. The lock guards the modes and is
// never held while calling out, so callbacks may use the loop freely.
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "backend/CFRunLoopItems.h"

struct __CFRunLoop : NSObject {
  explicit __CFRunLoop(bool isMain);
  static CFTypeID typeID();
  unsigned long cfTypeID() const override { return typeID(); }

  CFRunLoopRunResult run(const std::string& modeName, CFTimeInterval seconds, bool returnAfterSourceHandled);
  void stop();
  void wakeUp();
  bool isWaiting() const { return mSleeping.load(); }
  CFRunLoopMode copyCurrentMode();
  void addCommonMode(const std::string& modeName);
  void performBlock(const std::string& modeName, std::function<void()> block);

  // Mode names are their texts; kCFRunLoopCommonModes stands for every common mode, and an
  // empty name given to a remove call for every mode the item is in.
  void addSource(CFRunLoopSourceRef source, const std::string& modeName);
  void removeSource(CFRunLoopSourceRef source, const std::string& modeName);
  bool containsSource(CFRunLoopSourceRef source, const std::string& modeName);
  // Re-reads a descriptor source's events in every mode of this loop that holds it.
  void refreshDescriptor(CFRunLoopSourceRef source);
  void addTimer(CFRunLoopTimerRef timer, const std::string& modeName);
  void removeTimer(CFRunLoopTimerRef timer, const std::string& modeName);
  void addObserver(CFRunLoopObserverRef observer, const std::string& modeName);
  void removeObserver(CFRunLoopObserverRef observer, const std::string& modeName);
  // Takes every item out (when the loop's thread ends).
  void removeAllItems();

 protected:
  ~__CFRunLoop() override;

 private:
  struct Mode {
    std::string name;
    CFStringRef nameRef = nullptr;
    int epoll = -1;
    std::vector<CFRunLoopSourceRef> sources;
    std::vector<CFRunLoopTimerRef> timers;
    std::vector<CFRunLoopObserverRef> observers;
  };
  struct Block {
    std::string mode;  // empty for the common modes
    std::function<void()> work;
  };
  struct Run {
    Mode* mode;
    bool stopped = false;
  };
  // What changed under the lock and is called out or released after it.
  struct Aftermath {
    std::vector<std::pair<CFRunLoopSourceRef, CFStringRef>> scheduled, cancelled;
    std::vector<const void*> releases;
    void finish(CFRunLoopRef loop);
  };

  // The mode of a name, made on first use (a new common mode gets the common items).
  Mode* modeLocked(const std::string& name, Aftermath& after);
  // The modes a name stands for: every common mode for kCFRunLoopCommonModes, every mode for
  // the empty name; made when `after` is given.
  std::vector<Mode*> modesForLocked(const std::string& name, Aftermath* after);
  bool isEmptyLocked(const Mode* mode) const;
  bool isCommonLocked(const std::string& name) const { return mCommonModes.count(name) > 0; }
  void watchDescriptorLocked(Mode* mode, CFRunLoopSourceRef source);
  void addSourceToModeLocked(Mode* mode, CFRunLoopSourceRef source, Aftermath& after);
  void removeSourceFromModeLocked(Mode* mode, CFRunLoopSourceRef source, Aftermath& after);
  void addTimerToModeLocked(Mode* mode, CFRunLoopTimerRef timer);
  void removeTimerFromModeLocked(Mode* mode, CFRunLoopTimerRef timer, Aftermath& after);
  void addObserverToModeLocked(Mode* mode, CFRunLoopObserverRef observer);
  void removeObserverFromModeLocked(Mode* mode, CFRunLoopObserverRef observer, Aftermath& after);

  void notifyObservers(Mode* mode, CFRunLoopActivity activity);
  bool runBlocks(Mode* mode);
  bool performSignalledSources(Mode* mode);
  void handleDescriptor(Mode* mode, CFRunLoopSourceRef source, uint32_t readyEvents);
  void fireDueTimers(Mode* mode);
  // Nanoseconds until the next timer of the mode is due (UINT64_MAX for none).
  uint64_t nanosecondsToNextTimer(Mode* mode);

  const bool mIsMain;
  int mWakeDescriptor;
  std::mutex mLock;
  std::map<std::string, std::unique_ptr<Mode>> mModes;
  std::set<std::string> mCommonModes;
  Mode mCommonItems;  // what was added in the common modes, given to each common mode
  std::deque<Block> mBlocks;
  std::vector<Run*> mRuns;
  std::atomic<bool> mSleeping{false};
};

namespace CFRunLoopInternal {
constexpr const char* kDefaultModeName = "kCFRunLoopDefaultMode";
constexpr const char* kCommonModesName = "kCFRunLoopCommonModes";
// The text of a mode name (modes are told apart by their text); empty for what is not a string.
std::string modeKey(CFTypeRef mode);
}  // namespace CFRunLoopInternal
