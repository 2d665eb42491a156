#include "CoreThreadMutex.h"

#include <cstring>

bool CoreThreadMutex::Create() {
  pthread_mutexattr_t attributes;
  mCreated = false;
  if (pthread_mutexattr_init(&attributes) != 0) return false;
  if (pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE) == 0) {
    mCreated = pthread_mutex_init(&mMutex, &attributes) == 0;
  }
  pthread_mutexattr_destroy(&attributes);
  return mCreated;
}

bool CoreThreadMutex::Destroy() {
  if (!mCreated) return true;
  if (pthread_mutex_destroy(&mMutex) != 0) return false;
  mCreated = false;
  return true;
}

void CoreThreadMutex::ZeroContents() { memset(static_cast<void*>(this), 0, sizeof *this); }

bool CoreThreadMutex::Lock() { return mCreated && pthread_mutex_lock(&mMutex) == 0; }

bool CoreThreadMutex::TryLock() { return mCreated && pthread_mutex_trylock(&mMutex) == 0; }

bool CoreThreadMutex::Unlock() { return mCreated && pthread_mutex_unlock(&mMutex) == 0; }
