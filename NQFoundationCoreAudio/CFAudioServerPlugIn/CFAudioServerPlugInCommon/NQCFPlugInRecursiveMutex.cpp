#include "NQCFPlugInRecursiveMutex.h"

#include "CFAudioServerRequired.h"

namespace NQCFPlugIn {

recursive_mutex::recursive_mutex() {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&__m_, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

recursive_mutex::~recursive_mutex() { pthread_mutex_destroy(&__m_); }

bool recursive_mutex::lock() {
  return REQUIRED_CODE(0 == pthread_mutex_lock(&__m_), "0==pthread_mutex_lock(&__m_)");
}

bool recursive_mutex::unlock() {
  return REQUIRED_CODE(0 == pthread_mutex_unlock(&__m_), "0==pthread_mutex_unlock(&__m_)");
}

bool recursive_mutex::try_lock() { return pthread_mutex_trylock(&__m_) == 0; }

}  // namespace NQCFPlugIn
