#pragma once
// Collects the messages of the requirement console through its string hook, which runs on
// the console queue, and waits for them with a deadline.
#include <CoreFoundation/CFString.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "RequiredLog.h"

class MessageCollector {
 public:
  MessageCollector() {
    std::lock_guard<std::mutex> lock(mutex());
    messages().clear();
    __CFLogSetLogStringFnPtr(&MessageCollector::hook);
  }
  ~MessageCollector() { __CFLogSetLogStringFnPtr(nullptr); }

  // Posts a marker and waits until it arrives; answers what arrived before it.
  std::vector<std::string> drain() {
    __CFLogStringRefOnQueue(CFSTR("--marker--"));
    std::unique_lock<std::mutex> lock(mutex());
    const bool arrived = condition().wait_for(lock, std::chrono::seconds(10), [] {
      return !messages().empty() && messages().back() == "--marker--";
    });
    std::vector<std::string> result = messages();
    messages().clear();
    if (arrived) result.pop_back();
    return result;
  }

  // The one message that a step posted.
  std::string only() {
    std::vector<std::string> all = drain();
    return all.size() == 1 ? all[0] : "<" + std::to_string(all.size()) + " messages>";
  }

 private:
  static void hook(CFStringRef message) {
    char text[8192] = {};
    CFStringGetCString(message, text, sizeof text, kCFStringEncodingUTF8);
    std::lock_guard<std::mutex> lock(mutex());
    messages().push_back(text);
    condition().notify_all();
  }
  // Never destroyed: the console queue may still run the hook while the process exits.
  static std::mutex& mutex() {
    static auto* const instance = new std::mutex;
    return *instance;
  }
  static std::condition_variable& condition() {
    static auto* const instance = new std::condition_variable;
    return *instance;
  }
  static std::vector<std::string>& messages() {
    static auto* const instance = new std::vector<std::string>;
    return *instance;
  }
};
