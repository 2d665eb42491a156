#include "IOSurfaceSharing_udp_device.h"

#include <Carbon/CarbonErrors.h>

#include <algorithm>
#include <cstring>

#include "Q_2vuy_data.h"

IOSurfaceSharing_udp_device::IOSurfaceSharing_udp_device()
    : mFrameSource(kFrameWidthPixels, kFrameHeightPixels) {
  if (mMessageFrame.Construct(CGSizeMake(kFrameWidthPixels, kFrameHeightPixels))) {
    mMessageFrame.EraseBackground();
    mCurrentFrame = static_cast<char*>(mMessageFrame.mFrameBufferData);
  }
  // The object is being built: its own class's message, not a subclass's.
  DrawOwnDeviceMessage();
  mFrameSource.SetServerPortNumber(mServerPortNumber);
}

IOSurfaceSharing_udp_device::~IOSurfaceSharing_udp_device() {
  // A frame the host never gave back must not stay locked in the shared cache.
  SetCachedFrameBuffer(nullptr);
}

bool IOSurfaceSharing_udp_device::Connect() {
  const bool connected = T_config_VDIG_device::Connect();
  mFrameSource.SetServerPortNumber(mServerPortNumber);
  return connected;
}

void IOSurfaceSharing_udp_device::Disconnect() {
  DrawDeviceMessage();
  mFrameSource.InvalidateFrameSurface();
  T_config_VDIG_device::Disconnect();
}

void IOSurfaceSharing_udp_device::SetServerPortNumber(uint16_t port) {
  mServerPortNumber = port;
  DrawDeviceMessage();
  mFrameSource.SetServerPortNumber(port);
}

void IOSurfaceSharing_udp_device::DrawDeviceMessage() { DrawOwnDeviceMessage(); }

void IOSurfaceSharing_udp_device::DrawOwnDeviceMessage() {
  if (!mMessageFrame.mFrameBufferData) return;
  mMessageFrame.EraseBackground();
  mMessageFrame.DrawTextCenteredLowerThird(kDeviceName);
  mCurrentFrame = static_cast<char*>(mMessageFrame.mFrameBufferData);
  mFrameSizeBytes = kFrameSizeBytes;
  mCurrentFramePixelFormat = kPixelFormat;
}

OSErr IOSurfaceSharing_udp_device::GetFrame(bool* hasFrame, char** data, long* size) {
  if (hasFrame) *hasFrame = false;
  if (data) *data = nullptr;
  if (size) *size = 0;
  if (!mFrameSource.HasValidFrameSurface()) mFrameSource.GetFrameFromServerMessage();
  char* frame = nullptr;
  long frameSize = kFrameSizeBytes;
  if (mFrameSource.HasValidFrameSurface()) frame = GetFrameBufferWhenConnected();
  // No surface known, or the one known has gone with its application: the message frame.
  if (!frame && !mFrameSource.HasValidFrameSurface()) {
    frame = GetFrameBufferWhenDisconnected();
    frameSize = mFrameSizeBytes;
  }
  if (frame) {
    if (hasFrame) *hasFrame = true;
    if (size) *size = frameSize;
    if (data) *data = frame;
    ++mFrameCounter;
  }
  return noErr;
}

char* IOSurfaceSharing_udp_device::GetFrameBufferWhenConnected() {
  mFrameSource.GetFrameFromServerMessage();
  if (!mFrameSource.HasValidFrameSurface()) return nullptr;
  UVideoFrameBufferCachedSurface* frame = mFrameSource.GetFrameBuffer();
  if (!frame) return nullptr;
  mFrameTime = mFrameSource.GetFrameTime();
  return SetCachedFrameBuffer(frame) ? GetLockedFrameBufferDataPtr() : nullptr;
}

bool IOSurfaceSharing_udp_device::SetCachedFrameBuffer(UVideoFrameBufferCachedSurface* frame) {
  if (mCachedFrame) mCachedFrame->UnlockFrameBuffer();
  mCachedFrame = nullptr;
  if (!frame) return true;
  if (!frame->TryLockFrameBuffer()) return false;
  mCachedFrame = frame;
  return true;
}

char* IOSurfaceSharing_udp_device::GetLockedFrameBufferDataPtr() const {
  return mCachedFrame ? static_cast<char*>(mCachedFrame->mFrameBufferData) : nullptr;
}

bool IOSurfaceSharing_udp_device::UnlockFrameBufferDataPtr(char* data) {
  if (!data || data != GetLockedFrameBufferDataPtr()) return false;
  SetCachedFrameBuffer(nullptr);
  return true;
}

OSErr IOSurfaceSharing_udp_device::ReleaseCompressBuffer(char* data) {
  if (!mFrameSource.HasValidFrameSurface()) mFrameSource.GetFrameFromServerMessage();
  if (mFrameSource.HasValidFrameSurface() && data && data == GetLockedFrameBufferDataPtr())
    SetCachedFrameBuffer(nullptr);
  return noErr;
}

IOSurfaceSharing_udp_2vuy_device::IOSurfaceSharing_udp_2vuy_device()
    : mFrameFormat(kFrameWidthPixels, kFrameHeightPixels, kPixelFormat, kFrameRowBytes) {
  if (mFrameMemory.Construct(mFrameFormat)) {
    mFrameMemory.ErasePixelDataWithValue(0xFFFFFFFF);
    mCurrentFrame = static_cast<char*>(mFrameMemory.mFrameBufferData);
  }
  // The object is being built: its own class's message.
  IOSurfaceSharing_udp_2vuy_device::DrawDeviceMessage();
}

void IOSurfaceSharing_udp_2vuy_device::DrawDeviceMessage() {
  DrawOwnDeviceMessage();
  if (!mMessageFrame.mFrameBufferData || !mFrameMemory.mFrameBufferData) return;
  Q_2vuy_data frame(kFrameWidthPixels, kFrameHeightPixels, k2vuyRowBytes, k2vuyPixelFormat,
                    mFrameMemory.mFrameBufferData, mFrameMemory.mFrameBufferDataSizeBytes);
  frame.CopyPixelsFrom(mMessageFrame.GetBitmapContext(), false);
  mCurrentFrame = static_cast<char*>(mFrameMemory.mFrameBufferData);
  mFrameSizeBytes = k2vuyFrameSizeBytes;
  mCurrentFramePixelFormat = k2vuyPixelFormat;
}

IOSurfaceSharing_udp_inputs::IOSurfaceSharing_udp_inputs() { SetServerPortNumber(sServerPortNumbers[0]); }

void IOSurfaceSharing_udp_inputs::SetCurrentInputNumber(int input) {
  mCurrentInputNumber = input;
  SetServerPortNumber(sServerPortNumbers[input != 0 ? 1 : 0]);
}

uint16_t IOSurfaceSharing_udp_inputs::GetServerPortNumberForInputNumber(long input) {
  return sServerPortNumbers[std::min<unsigned long>((unsigned long)input, 1)];
}

OSErr IOSurfaceSharing_udp_inputs::GetDeviceName(unsigned char* name, long type) const {
  if (strnlen(mDeviceName, 256) > 255) return paramErr;
  return T_config_VDIG_device::GetDeviceName(name, type);
}
