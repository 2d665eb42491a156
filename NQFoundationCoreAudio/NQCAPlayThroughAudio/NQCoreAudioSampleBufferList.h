#pragma once
// An owned buffer list: a header with one single-channel buffer per channel, each with its
// own storage of a fixed capacity.
#include <CoreAudio/CoreAudioTypes.h>

#include <vector>

namespace NQCoreAudio {

class SampleBufferList {
 public:
  // False (nothing kept) when a byte size of 0 is asked for or storage cannot be had.
  bool Construct(UInt32 bufferCount, UInt32 bytesPerBuffer);
  void Destruct();

  bool IsValid() const { return !mStorage.empty(); }
  UInt32 GetCapacityBytes() const { return mCapacityBytes; }
  // The list with every buffer's byte size set to the given one (at most the capacity).
  AudioBufferList* GetListWithByteSize(UInt32 bytes);
  AudioBufferList* GetList() {
    return IsValid() ? reinterpret_cast<AudioBufferList*>(mHeader.data()) : nullptr;
  }

 private:
  std::vector<UInt8> mHeader;
  std::vector<std::vector<Float32>> mStorage;
  UInt32 mCapacityBytes = 0;
};

}  // namespace NQCoreAudio
