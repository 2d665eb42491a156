#include <objc/PostAndWait.h>

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace objc {

void postAndWait(const std::function<void(std::function<void()>)>& post, std::function<void()> work) {
  // Shared with the posted block, which may be destroyed after the caller has gone on.
  struct Completion {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    std::exception_ptr failure;
  };
  auto completion = std::make_shared<Completion>();
  post([work = std::move(work), completion] {
    std::exception_ptr failure;
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    std::lock_guard<std::mutex> guard(completion->lock);
    completion->failure = failure;
    completion->finished = true;
    completion->done.notify_all();
  });
  std::unique_lock<std::mutex> lock(completion->lock);
  completion->done.wait(lock, [&] { return completion->finished; });
  if (completion->failure) std::rethrow_exception(completion->failure);
}

}  // namespace objc
