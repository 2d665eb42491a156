// The status names of the status reporters, each at the value its framework publishes.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "RequiredStatusText.h"

namespace {

struct NamedStatus {
  SInt32 status;
  const char* name;
};

std::string statusText(const RequiredStatusTable& table, SInt32 status) {
  char buffer[kRequiredStatusTextSize];
  return table.format(status, buffer, sizeof buffer);
}

const NamedStatus kCoreAudio[] = {
    {2003332927, "kAudioHardwareUnknownPropertyError"},      // 'who?'
    {2003329396, "kAudioHardwareUnspecifiedError"},          // 'what'
    {1970171760, "kAudioHardwareUnsupportedOperationError"}, // 'unop'
    {1937010544, "kAudioHardwareNotRunningError"},           // 'stop'
    {1852797029, "kAudioHardwareIllegalOperationError"},     // 'nope'
    {561214578, "kAudioHardwareBadStreamError"},             // '!str'
    {561211770, "kAudioHardwareBadPropertySizeError"},       // '!siz'
    {560947818, "kAudioHardwareBadObjectError"},             // '!obj'
    {560227702, "kAudioHardwareBadDeviceError"},             // '!dev'
    {560226676, "kAudioDeviceUnsupportedFormatError"},       // '!dat'
    {-10879, "kAudioUnitErr_InvalidProperty"},
    {-10878, "kAudioUnitErr_InvalidParameter"},
    {-10877, "kAudioUnitErr_InvalidElement"},
    {-10876, "kAudioUnitErr_NoConnection"},
    {-10875, "kAudioUnitErr_FailedInitialization"},
    {-10874, "kAudioUnitErr_TooManyFramesToProcess"},
    {-10871, "kAudioUnitErr_InvalidFile"},
    {-10868, "kAudioUnitErr_FormatNotSupported"},
    {-10867, "kAudioUnitErr_Uninitialized"},
    {-10866, "kAudioUnitErr_InvalidScope"},
    {-10865, "kAudioUnitErr_PropertyNotWritable"},
    {-10863, "kAudioUnitErr_CannotDoInCurrentContext"},
    {-10851, "kAudioUnitErr_InvalidPropertyValue"},
    {-10850, "kAudioUnitErr_PropertyNotInUse"},
    {-10849, "kAudioUnitErr_Initialized"},
    {-10848, "kAudioUnitErr_InvalidOfflineRender"},
    {-10847, "kAudioUnitErr_Unauthorized"},
    {-10860, "kAUGraphErr_NodeNotFound"},
    {-10861, "kAUGraphErr_InvalidConnection"},
    {-10862, "kAUGraphErr_OutputNodeErr"},
    {-10864, "kAUGraphErr_InvalidAudioUnit"},
    {-66561, "kExtAudioFileError_InvalidProperty"},
    {-66562, "kExtAudioFileError_InvalidPropertySize"},
    {-66563, "kExtAudioFileError_NonPCMClientFormat"},
    {-66564, "kExtAudioFileError_InvalidChannelMap"},
    {-66565, "kExtAudioFileError_InvalidOperationOrder"},
    {-66566, "kExtAudioFileError_InvalidDataFormat"},
    {-66567, "kExtAudioFileError_MaxPacketSizeUnknown"},
    {-66568, "kExtAudioFileError_InvalidSeek"},
    {-66569, "kExtAudioFileError_AsyncWriteTooLarge"},
    {-66570, "kExtAudioFileError_AsyncWriteBufferOverflow"},
    {-66784, "kAUVoiceIOErr_UnexpectedNumberOfInputChannels"},
};

const NamedStatus kCVReturn[] = {
    {0, "kCVReturnSuccess"},
    {-6660, "kCVReturnError"},
    {-6661, "kCVReturnInvalidArgument"},
    {-6662, "kCVReturnAllocationFailed"},
    {-6670, "kCVReturnInvalidDisplay"},
    {-6671, "kCVReturnDisplayLinkAlreadyRunning"},
    {-6672, "kCVReturnDisplayLinkNotRunning"},
    {-6673, "kCVReturnDisplayLinkCallbacksNotSet"},
    {-6680, "kCVReturnInvalidPixelFormat"},
    {-6681, "kCVReturnInvalidSize"},
    {-6682, "kCVReturnInvalidPixelBufferAttributes"},
    {-6683, "kCVReturnPixelBufferNotOpenGLCompatible"},
    {-6690, "kCVReturnPoolAllocationFailed"},
    {-6691, "kCVReturnInvalidPoolAttributes"},
};

void expectExactly(const RequiredStatusTable& table, const NamedStatus* expected, size_t count) {
  EXPECT_EQ(table.count, count);
  std::set<SInt32> seen;
  for (size_t index = 0; index < count; ++index) {
    const NamedStatus& entry = expected[index];
    EXPECT_EQ(statusText(table, entry.status), std::string(entry.name) + " (" + std::to_string(entry.status) + ")");
    EXPECT_TRUE(seen.insert(entry.status).second) << entry.name << " shares its value";
  }
}

TEST(RequiredStatusText, CoreAudioTableHoldsTheFortyTwoPublishedNames) {
  expectExactly(kRequiredCoreAudioStatusNames, kCoreAudio, std::size(kCoreAudio));
}

TEST(RequiredStatusText, CVReturnTableHoldsTheFourteenPublishedNames) {
  expectExactly(kRequiredCVReturnStatusNames, kCVReturn, std::size(kCVReturn));
}

TEST(RequiredStatusText, UnknownStatusesAreShownByValue) {
  EXPECT_EQ(statusText(kRequiredCoreAudioStatusNames, 0), "statusValue=0");
  EXPECT_EQ(statusText(kRequiredCoreAudioStatusNames, -1), "statusValue=-1");
  EXPECT_EQ(statusText(kRequiredCVReturnStatusNames, 5), "statusValue=5");
}

}  // namespace
