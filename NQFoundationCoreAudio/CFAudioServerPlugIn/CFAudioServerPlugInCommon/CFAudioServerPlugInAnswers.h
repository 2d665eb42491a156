#pragma once
// How the handlers answer: the size rules of single values, array items and incoming values.
// A size that does not fit is a failure the caller sees ('!siz'), never a silent success
// that leaves its buffer unwritten or stores a value it did not send.
#include <CoreFoundation/CFBase.h>
#include <objc/RefPtr.h>

#include <algorithm>
#include <cstring>

#include "CFAudioServerPlugInMessages.h"
#include "CFAudioServerRequired.h"

namespace NQCFAudioServer {

// A single value: the caller's buffer must be exactly its size.
template <class T>
OSStatus SetOutDataType_T(const GetDataMessage_t& message, const T& value) {
  if (message.InDataSize != sizeof(T)) {
    *message.outDataSize = 0;
    __CFRequiredPrintf("SetOutDataType_T inDataSize{%08lx} != sizeof(T){%08lx}\n",
                       static_cast<unsigned long>(message.InDataSize), static_cast<unsigned long>(sizeof(T)));
    return kAudioHardwareBadPropertySizeError;
  }
  std::memcpy(message.outData, &value, sizeof(T));
  *message.outDataSize = sizeof(T);
  return kAudioHardwareNoError;
}

// A value for which the buffer must hold at least its size.
template <class T>
OSStatus SetOutDataAtLeast_T(const GetDataMessage_t& message, const T& value) {
  if (message.InDataSize < sizeof(T)) {
    *message.outDataSize = 0;
    return kAudioHardwareBadPropertySizeError;
  }
  std::memcpy(message.outData, &value, sizeof(T));
  *message.outDataSize = sizeof(T);
  return kAudioHardwareNoError;
}

// A new CoreFoundation object (+1) handed to the caller when the answer is written, released
// otherwise.
template <class T>
OSStatus SetOutDataCopy_T(const GetDataMessage_t& message, RefPtr<T> value, bool exactSize) {
  T* raw = value.get();
  const OSStatus status = exactSize ? SetOutDataType_T(message, raw) : SetOutDataAtLeast_T(message, raw);
  if (status == kAudioHardwareNoError) (void)value.leak();
  return status;
}

// Item i of an array: the buffer must hold items 0 to i.
template <class T>
void SetOutDataArrayItem_T(const GetDataMessage_t& message, UInt32 index, const T& value) {
  if (message.InDataSize < (index + 1) * sizeof(T)) {
    *message.outDataSize = 0;
    return;
  }
  std::memcpy(static_cast<char*>(message.outData) + index * sizeof(T), &value, sizeof(T));
  *message.outDataSize = (index + 1) * sizeof(T);
}

// Writes the first min(capacity, count) items of a list; answers how many.
template <class T>
UInt32 SetOutDataArray_T(const GetDataMessage_t& message, const T* items, UInt32 count) {
  const UInt32 written = std::min<UInt32>(message.InDataSize / sizeof(T), count);
  *message.outDataSize = 0;
  for (UInt32 i = 0; i < written; ++i) SetOutDataArrayItem_T(message, i, items[i]);
  return written;
}

// An incoming value: exactly its size, else reported and false.
template <class T>
bool GetInDataOfType_T(const SetDataMessage_t& message, T& value) {
  if (message.InDataSize != sizeof(T) || !message.InData) {
    __CFRequiredPrintf("GetInDataOfType_T inDataSize{%08lx} != sizeof(T){%08lx}\n",
                       static_cast<unsigned long>(message.InDataSize), static_cast<unsigned long>(sizeof(T)));
    return false;
  }
  std::memcpy(&value, message.InData, sizeof(T));
  return true;
}

}  // namespace NQCFAudioServer
