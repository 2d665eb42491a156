#pragma once
// The reader of window messages: it finds the server's message window by title in the window
// list, captures the window's picture by window id, decodes and checks the message it carries
// and, for every message it has not seen, calls back with the announced surface.
//
//   tagIOSurfaceSharingNSWindowClientObject client;
//   IOSurfaceSharingNSWindowClient_Construct(&client);
//   IOSurfaceSharingNSWindowClient_serverConnect(&client, 30100, CFSTR(kIOSurfaceSharingPublishedPortName),
//                                                nullptr);
//   IOSurfaceSharingNSWindowClient_serverSetCallback(&client, surfaceArrived, context);
//   IOSurfaceSharingNSWindowClient_serverGetNextMessage(&client);   // as often as frames are wanted
//   IOSurfaceSharingNSWindowClient_Destruct(&client);
//
// Reads run one at a time on the client's own serial queue ("IOSurfaceSharingNSWindowClientCPP"),
// and so does the callback; the other calls may come from any thread. Every call answers false
// (or 0, or null) for an object that is not constructed.
#include <CoreFoundation/CFString.h>
#include <CoreGraphics/CGImage.h>
#include <IOSurface/IOSurface.h>
#include <dispatch/dispatch.h>
#include <objc/RefPtr.h>

#include <cstdint>
#include <mutex>

#include "IOSurfaceMessagePacket.h"
#include "IOSurfaceSharingNSWindowName.h"

// Called with the surface of a new message (borrowed for the call: retain it to keep it), the
// frame's time and the context given with the callback. Its answer is not used.
typedef int (*IOSurfaceSharingNSWindowClientCallback)(IOSurfaceRef surface, uint64_t surfaceTime,
                                                      void* context);

constexpr uint64_t kIOSurfaceSharingNSWindowClientValidityTag = 88;

struct tagIOSurfaceSharingNSWindowClientObject {
  uint64_t validityTag = 0;
  RefPtr<const __CFString> windowName;
  RefPtr<const __CFString> windowOwnerName;
  uint32_t windowID = 0;
  uint32_t lastSurfaceID = 0;
  uint64_t lastSurfaceTime = 0;
  uint32_t lastSequenceNumber = 0;
  dispatch_queue_t queue = nullptr;
  IOSurfaceSharingNSWindowClientCallback callback = nullptr;
  void* callbackContext = nullptr;
  RefPtr<CGImage> cachedLastImage;
  // Guards the fields above against the reads running on the queue.
  std::mutex lock;

  ~tagIOSurfaceSharingNSWindowClientObject();
};

// Empties the object (destructing it first when it was constructed) and makes its queue; true
// when the queue exists.
bool IOSurfaceSharingNSWindowClient_Construct(tagIOSurfaceSharingNSWindowClientObject* client);
bool IOSurfaceSharingNSWindowClient_IsConstructed(const tagIOSurfaceSharingNSWindowClientObject* client);
// Waits for the read under way, if any (not when called from the callback), and empties the
// object.
void IOSurfaceSharingNSWindowClient_Destruct(tagIOSurfaceSharingNSWindowClientObject* client);

// Looks for the first window titled after the port name and number, as the server titles its
// window, owned by the program named ownerName when one is given; answers whether one is known.
bool IOSurfaceSharingNSWindowClient_serverConnect(tagIOSurfaceSharingNSWindowClientObject* client,
                                                  uint32_t portNumber, CFStringRef portName,
                                                  CFStringRef ownerName);
bool IOSurfaceSharingNSWindowClient_hasClientConnection(tagIOSurfaceSharingNSWindowClientObject* client);
uint32_t IOSurfaceSharingNSWindowClient_serverGetWindowID(tagIOSurfaceSharingNSWindowClientObject* client);
// Forgets the window.
bool IOSurfaceSharingNSWindowClient_serverDisconnect(tagIOSurfaceSharingNSWindowClientObject* client);
bool IOSurfaceSharingNSWindowClient_serverSetCallback(tagIOSurfaceSharingNSWindowClientObject* client,
                                                      IOSurfaceSharingNSWindowClientCallback callback,
                                                      void* context);
// Queues one read of the window and answers at once: false without a window. The read captures
// the window, keeps the picture as the last image, and calls back when it carries a valid
// message other than the last one read whose surface can be looked up.
bool IOSurfaceSharingNSWindowClient_serverGetNextMessage(tagIOSurfaceSharingNSWindowClientObject* client);
// The last picture read (the caller releases it), or null.
CGImageRef IOSurfaceSharingNSWindowClient_serverCopyCachedLastImage(
    tagIOSurfaceSharingNSWindowClientObject* client);
bool IOSurfaceSharingNSWindowClient_SetCachedLastImage(tagIOSurfaceSharingNSWindowClientObject* client,
                                                       CGImageRef image);
