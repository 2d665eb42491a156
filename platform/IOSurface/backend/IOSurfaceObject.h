#pragma once
// The CF object behind an IOSurfaceRef: a reference to the memory of one surface. Several
// objects of one process may share that memory (a lookup of a surface made here).
#include <memory>

#include <IOSurface/IOSurfaceRef.h>
#include <objc/NSObject.h>

#include "backend/SurfaceMemory.h"

struct __IOSurface : NSObject {
  explicit __IOSurface(std::shared_ptr<IOSurfaceLayer::SurfaceMemory> memory) : mMemory(std::move(memory)) {}

  static CFTypeID typeID();

  unsigned long cfTypeID() const override { return typeID(); }
  bool isEqual(const NSObject* other) const override;
  unsigned long hash() const override { return mMemory->id(); }
  const __CFString* copyDescription() const override;

  IOSurfaceLayer::SurfaceMemory& memory() const { return *mMemory; }

 private:
  const std::shared_ptr<IOSurfaceLayer::SurfaceMemory> mMemory;
};
