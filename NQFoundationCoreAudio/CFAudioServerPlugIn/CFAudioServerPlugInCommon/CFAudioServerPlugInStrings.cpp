// The names, identifiers and stream formats that the device shows.
#include "CFAudioServerPlugInBase.h"

CFStringRef CFAudioServerPlugInBase::CopyFormattedUIDString(CFStringRef format) const {
  return CFStringCreateWithFormat(nullptr, nullptr, format, PlugInName(), FactoryID(), int(kChannelCount),
                                  int(kChannelCount));
}

void CFAudioServerPlugInBase::SetResourceBundleIdentifier(CFStringRef inBundleIdentifier) {
  mResourceBundleIdentifier = RefPtr<const __CFString>(inBundleIdentifier);
}

CFStringRef CFAudioServerPlugInBase::CopyDevicePropertyNameStringRef() const {
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@:%i"), PlugInName(), int(kChannelCount));
}

CFStringRef CFAudioServerPlugInBase::CopyBoxUIDString() const {
  return RefPtr<const __CFString>(mBoxUID).leak();
}

CFStringRef CFAudioServerPlugInBase::CopyDeviceUIDString() const {
  return RefPtr<const __CFString>(mDeviceUID).leak();
}

CFStringRef CFAudioServerPlugInBase::CopyDeviceModelUIDString() const {
  return CopyFormattedUIDString(CFSTR("MOD_%@_%@_%ix%i_UUID"));
}

CFStringRef CFAudioServerPlugInBase::CopyDataSourcePropertyNameString(UInt32 inItem) const {
  CFStringRef name = PlugInName();
  if (!name || CFGetTypeID(name) != CFStringGetTypeID())
    return CFStringCreateCopy(nullptr, CFSTR("PropertyNameErr"));
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@ In %i"), name, int(inItem + 1));
}

void CFAudioServerPlugInBase::SetAudioStreamBasicDescriptionWithSampleRate(
    AudioStreamBasicDescription& outFormat, Float64 inRate) {
  outFormat.mSampleRate = inRate;
  outFormat.mFormatID = kAudioFormatLinearPCM;
  outFormat.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
  outFormat.mBytesPerPacket = 8;
  outFormat.mFramesPerPacket = 1;
  outFormat.mBytesPerFrame = 8;
  outFormat.mChannelsPerFrame = kChannelCount;
  outFormat.mBitsPerChannel = 32;
  outFormat.mReserved = 0;
}

void CFAudioServerPlugInBase::SetSampleRangeWithSampleRate(AudioValueRange& outRange, Float64 inRate) {
  outRange.mMinimum = inRate;
  outRange.mMaximum = inRate;
}

void CFAudioServerPlugInBase::SetStreamRangedDescriptionWithSampleRate(
    AudioStreamRangedDescription& outFormat, Float64 inRate) {
  SetAudioStreamBasicDescriptionWithSampleRate(outFormat.mFormat, inRate);
  SetSampleRangeWithSampleRate(outFormat.mSampleRateRange, inRate);
}
