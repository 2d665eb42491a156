// Logs numbered lines from several threads at once, for the NSLog test to read back.
//   FoundationLogProbe <threads> <lines per thread>
#include <Foundation/Foundation.h>

#include <cstdlib>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
  const int threads = argc > 1 ? std::atoi(argv[1]) : 8;
  const int lines = argc > 2 ? std::atoi(argv[2]) : 200;
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([t, lines] {
      for (int i = 0; i < lines; ++i) {
        NSLog(NSSTR("thread %d line %d %@ 100%% done"), t, i, NSSTR("padding-padding-padding-padding"));
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  return 0;
}
