#pragma once
// How surfaces are found by id.
//
// Ids come from a counter file in <runtime>/IOSurface, so every process of one system root
// draws distinct ids. A process that creates a global surface writes an entry file named by
// the id that points at its own owner socket, and a thread of that process hands the surface's
// descriptor to whoever connects and asks for the id (SCM_RIGHTS). When the owner process is
// gone its socket refuses, so the id no longer resolves, and the stale entry is removed.
// Surfaces of this process resolve from an in-process table, global or not. A surface of
// another process is mapped once and the mapping kept while its owner holds the surface, so
// that looking it up again (a reader does for every frame) costs no file, socket or mmap.
#include <cstdint>
#include <memory>

#include "backend/SurfaceMemory.h"

namespace IOSurfaceLayer {

class SurfaceRegistry {
 public:
  static SurfaceRegistry& shared();

  uint32_t allocateID();
  // Makes a surface created here findable (and, when global, servable to other processes).
  void add(const std::shared_ptr<SurfaceMemory>& memory);
  // Called as the last reference of this process to a surface it created goes away.
  void remove(uint32_t id);
  std::shared_ptr<SurfaceMemory> lookup(uint32_t id);
  // A surface created by this process, if it is still alive.
  std::shared_ptr<SurfaceMemory> lookupHere(uint32_t id);

 private:
  SurfaceRegistry() = default;
  std::shared_ptr<SurfaceMemory> lookupElsewhere(const std::string& folder, uint32_t id);
  std::shared_ptr<SurfaceMemory> lookupKept(const std::string& folder, uint32_t id);
  void keep(const std::string& folder, const std::shared_ptr<SurfaceMemory>& memory);
  void serve(int events);
  bool startServer();

  struct State;
  State& state();
};

}  // namespace IOSurfaceLayer
