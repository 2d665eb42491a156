#pragma once
// The applications that the grabber makes window cameras for: the owners of shared windows,
// less the system's own, in the order they were found. The list only grows: an application
// that quits keeps its place, so that camera indexes stay valid.
#include <CoreFoundation/CFSet.h>
#include <CoreGraphics/CGImage.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

class UGrabberAppWindow {
 public:
  // The most windows of one owner that its image shows, front-most first.
  static constexpr size_t kMaxOwnerWindows = 9;

  static const char* const sExcludedSet[];
  static const size_t sExcludedSetCount;
  // The owner names that never get a camera, made from sExcludedSet at load.
  static const CFSetRef kAlwaysExcludedSet;

  UGrabberAppWindow();
  ~UGrabberAppWindow();
  UGrabberAppWindow(const UGrabberAppWindow&) = delete;
  UGrabberAppWindow& operator=(const UGrabberAppWindow&) = delete;

  // Adds the owners found now to the end of the list.
  void UpdateWindowOwnerList();
  size_t GetNumberOfUniqueWindowOwners() const;
  // Sets windowOwnerName to the owner at the index (empty past the end); answers its
  // characters, or null when it is empty.
  const char* GetWindowOwnerAtIndex(size_t index, std::string& windowOwnerName) const;
  // A new image (+1) of the owner's on-screen windows, composited over the smallest rectangle
  // that holds them; null when the owner has none on screen.
  CGImageRef CopyWindowOwnerImage(size_t index) const;

  // Appends to the list the owners of shared windows not already in it.
  static void sUpdateWindowOwnerSet(std::vector<std::string>& windowOwners);

 private:
  // A mutex, not a spin lock: the window walk of an update runs outside it, and readers on
  // the frame timer never spin behind a window-server round trip.
  mutable std::mutex mLock;
  std::vector<std::string> mWindowOwners;
};
