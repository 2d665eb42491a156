// Posts numbered requirement messages from several threads and exits at once, as a program
// whose reports must all reach the console. With the argument "drops" it first posts the
// messages that this layer has to drop.
#include <cstring>
#include <thread>
#include <vector>

#include "URequirements.h"

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "drops") == 0) {
    __CFRequiredPrintf(nullptr);
    __CFLogPrintf(nullptr);
    __CFRequiredLogString(nullptr, nullptr);
    __CFRequiredLogPrintf(nullptr, "x");
    __CFLogError(nullptr, CFSTR("no location"));
  }
  std::vector<std::thread> threads;
  for (int thread = 0; thread < 8; ++thread) {
    threads.emplace_back([thread] {
      for (int message = 0; message < 200; ++message) {
        __CFRequiredPrintf("thread %d message %d 100%% of it", thread, message);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  return 0;
}
