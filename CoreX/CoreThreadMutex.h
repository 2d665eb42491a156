#pragma once
// The utility library's lock for data shared between threads: a recursive mutex record, so
// that a thread may lock it again while it holds it. Create before use, Destroy after.
#include <pthread.h>

struct CoreThreadMutex {
  pthread_mutex_t mMutex;
  bool mCreated;

  // True when the mutex was made.
  bool Create();
  // True when there is no mutex left; a mutex that cannot be destroyed (it is held) stays.
  bool Destroy();
  // Clears the record without touching a mutex it may hold.
  void ZeroContents();

  bool Lock();
  bool TryLock();
  bool Unlock();
};
