#include "NQCoreAudioSampleBufferList.h"

#include <URequirements.h>

#include <algorithm>
#include <new>

namespace NQCoreAudio {

bool SampleBufferList::Construct(UInt32 bufferCount, UInt32 bytesPerBuffer) {
  Destruct();
  if (!REQUIREMENT(bytesPerBuffer > 0)) return false;
  try {
    mHeader.assign(AudioBufferListSize(bufferCount), 0);
    mStorage.assign(bufferCount,
                    std::vector<Float32>((bytesPerBuffer + sizeof(Float32) - 1) / sizeof(Float32)));
  } catch (const std::bad_alloc&) {
    REQUIREMENT(!"sample buffer storage");
    Destruct();
    return false;
  }
  mCapacityBytes = bytesPerBuffer;
  auto* list = reinterpret_cast<AudioBufferList*>(mHeader.data());
  list->mNumberBuffers = bufferCount;
  for (UInt32 i = 0; i < bufferCount; ++i) list->mBuffers[i] = {1, bytesPerBuffer, mStorage[i].data()};
  return true;
}

void SampleBufferList::Destruct() {
  mHeader.clear();
  mStorage.clear();
  mCapacityBytes = 0;
}

AudioBufferList* SampleBufferList::GetListWithByteSize(UInt32 bytes) {
  AudioBufferList* list = GetList();
  if (!list) return nullptr;
  for (UInt32 i = 0; i < list->mNumberBuffers; ++i)
    list->mBuffers[i].mDataByteSize = std::min(bytes, mCapacityBytes);
  return list;
}

}  // namespace NQCoreAudio
