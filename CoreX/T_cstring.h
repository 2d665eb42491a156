#pragma once
// A heap buffer of characters of type T, NUL-terminated.
#include <cstdlib>

#include "CoreMachDebug.h"

template <class T>
struct T_cstring {
  T_cstring() = default;
  T_cstring(const T_cstring&) = delete;
  T_cstring& operator=(const T_cstring&) = delete;
  ~T_cstring() { free_cstring(); }

  // Room for count characters and the terminator, starting empty. A count of 0 only tells
  // whether a buffer exists.
  bool set_length(size_t count) {
    if (count == 0) return m_cstring != nullptr;
    free_cstring();
    m_cstring = static_cast<T*>(malloc((count + 1) * sizeof(T)));
    if (!VERIFY(m_cstring!=__null)) return false;
    m_cstring[0] = 0;
    return true;
  }

  void free_cstring() {
    free(m_cstring);
    m_cstring = nullptr;
  }

  T* m_cstring = nullptr;
};
