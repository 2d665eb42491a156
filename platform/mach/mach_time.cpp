#include <mach/mach_time.h>
#include <mach/mach_time_source.h>
#include <time.h>

#include <atomic>

static std::atomic<mach_absolute_time_source_t> sSource{nullptr};

uint64_t mach_absolute_time(void) {
  if (mach_absolute_time_source_t source = sSource.load(std::memory_order_acquire)) return source();
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000000000ull + uint64_t(now.tv_nsec);
}

mach_absolute_time_source_t _mach_absolute_time_set_source(mach_absolute_time_source_t source) {
  return sSource.exchange(source, std::memory_order_acq_rel);
}

kern_return_t mach_timebase_info(mach_timebase_info_t info) {
  if (!info) return KERN_INVALID_ARGUMENT;
  info->numer = 1;
  info->denom = 1;
  return KERN_SUCCESS;
}
