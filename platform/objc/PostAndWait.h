#pragma once
// Running a piece of work on another thread (a run loop, an operation queue) while the caller
// waits for it.
#include <functional>

#pragma GCC visibility push(default)

namespace objc {

// Hands `work` to `post`, which has it run elsewhere, and waits until it has run. An exception
// that the work raises is raised again here, so that to the caller the work ran in its place.
void postAndWait(const std::function<void(std::function<void()>)>& post, std::function<void()> work);

}  // namespace objc

#pragma GCC visibility pop
