#include "RequiredStatusText.h"

#include <cstdio>
#include <iterator>

const char* RequiredStatusTable::nameOf(SInt32 status) const {
  for (size_t index = 0; index < count; ++index) {
    if (names[index].status == status) return names[index].name;
  }
  return nullptr;
}

const char* RequiredStatusTable::format(SInt32 status, char* buffer, size_t size) const {
  if (const char* name = nameOf(status)) {
    snprintf(buffer, size, "%s (%d)", name, int(status));
  } else {
    snprintf(buffer, size, "statusValue=%d", int(status));
  }
  return buffer;
}

#define STATUS_NAME(name, value) {SInt32(value), #name}

static const RequiredStatusName sCoreAudioNames[] = {
    STATUS_NAME(kAudioHardwareUnknownPropertyError, FOUR_CHAR_CODE("who?")),
    STATUS_NAME(kAudioHardwareUnspecifiedError, FOUR_CHAR_CODE("what")),
    STATUS_NAME(kAudioHardwareUnsupportedOperationError, FOUR_CHAR_CODE("unop")),
    STATUS_NAME(kAudioHardwareNotRunningError, FOUR_CHAR_CODE("stop")),
    STATUS_NAME(kAudioHardwareIllegalOperationError, FOUR_CHAR_CODE("nope")),
    STATUS_NAME(kAudioHardwareBadStreamError, FOUR_CHAR_CODE("!str")),
    STATUS_NAME(kAudioHardwareBadPropertySizeError, FOUR_CHAR_CODE("!siz")),
    STATUS_NAME(kAudioHardwareBadObjectError, FOUR_CHAR_CODE("!obj")),
    STATUS_NAME(kAudioHardwareBadDeviceError, FOUR_CHAR_CODE("!dev")),
    STATUS_NAME(kAudioDeviceUnsupportedFormatError, FOUR_CHAR_CODE("!dat")),
    STATUS_NAME(kAudioUnitErr_InvalidProperty, -10879),
    STATUS_NAME(kAudioUnitErr_InvalidParameter, -10878),
    STATUS_NAME(kAudioUnitErr_InvalidElement, -10877),
    STATUS_NAME(kAudioUnitErr_NoConnection, -10876),
    STATUS_NAME(kAudioUnitErr_FailedInitialization, -10875),
    STATUS_NAME(kAudioUnitErr_TooManyFramesToProcess, -10874),
    STATUS_NAME(kAudioUnitErr_InvalidFile, -10871),
    STATUS_NAME(kAudioUnitErr_FormatNotSupported, -10868),
    STATUS_NAME(kAudioUnitErr_Uninitialized, -10867),
    STATUS_NAME(kAudioUnitErr_InvalidScope, -10866),
    STATUS_NAME(kAudioUnitErr_PropertyNotWritable, -10865),
    STATUS_NAME(kAudioUnitErr_CannotDoInCurrentContext, -10863),
    STATUS_NAME(kAudioUnitErr_InvalidPropertyValue, -10851),
    STATUS_NAME(kAudioUnitErr_PropertyNotInUse, -10850),
    STATUS_NAME(kAudioUnitErr_Initialized, -10849),
    STATUS_NAME(kAudioUnitErr_InvalidOfflineRender, -10848),
    STATUS_NAME(kAudioUnitErr_Unauthorized, -10847),
    STATUS_NAME(kAUGraphErr_NodeNotFound, -10860),
    STATUS_NAME(kAUGraphErr_InvalidConnection, -10861),
    STATUS_NAME(kAUGraphErr_OutputNodeErr, -10862),
    STATUS_NAME(kAUGraphErr_InvalidAudioUnit, -10864),
    STATUS_NAME(kExtAudioFileError_InvalidProperty, -66561),
    STATUS_NAME(kExtAudioFileError_InvalidPropertySize, -66562),
    STATUS_NAME(kExtAudioFileError_NonPCMClientFormat, -66563),
    STATUS_NAME(kExtAudioFileError_InvalidChannelMap, -66564),
    STATUS_NAME(kExtAudioFileError_InvalidOperationOrder, -66565),
    STATUS_NAME(kExtAudioFileError_InvalidDataFormat, -66566),
    STATUS_NAME(kExtAudioFileError_MaxPacketSizeUnknown, -66567),
    STATUS_NAME(kExtAudioFileError_InvalidSeek, -66568),
    STATUS_NAME(kExtAudioFileError_AsyncWriteTooLarge, -66569),
    STATUS_NAME(kExtAudioFileError_AsyncWriteBufferOverflow, -66570),
    STATUS_NAME(kAUVoiceIOErr_UnexpectedNumberOfInputChannels, -66784),
};

static const RequiredStatusName sCVReturnNames[] = {
    STATUS_NAME(kCVReturnSuccess, 0),
    STATUS_NAME(kCVReturnError, -6660),
    STATUS_NAME(kCVReturnInvalidArgument, -6661),
    STATUS_NAME(kCVReturnAllocationFailed, -6662),
    STATUS_NAME(kCVReturnInvalidDisplay, -6670),
    STATUS_NAME(kCVReturnDisplayLinkAlreadyRunning, -6671),
    STATUS_NAME(kCVReturnDisplayLinkNotRunning, -6672),
    STATUS_NAME(kCVReturnDisplayLinkCallbacksNotSet, -6673),
    STATUS_NAME(kCVReturnInvalidPixelFormat, -6680),
    STATUS_NAME(kCVReturnInvalidSize, -6681),
    STATUS_NAME(kCVReturnInvalidPixelBufferAttributes, -6682),
    STATUS_NAME(kCVReturnPixelBufferNotOpenGLCompatible, -6683),
    STATUS_NAME(kCVReturnPoolAllocationFailed, -6690),
    STATUS_NAME(kCVReturnInvalidPoolAttributes, -6691),
};

const RequiredStatusTable kRequiredCoreAudioStatusNames{sCoreAudioNames, std::size(sCoreAudioNames)};
const RequiredStatusTable kRequiredCVReturnStatusNames{sCVReturnNames, std::size(sCVReturnNames)};
