#pragma once
// The process's factories, filled from the Info.plist of every bundle that offers some.
struct __CFBundle;

namespace CFPlugInRegistry {
// Registers the factories and types the bundle's Info.plist names; a bundle that names any is
// kept for the life of the process, as its factories may be asked for at any time.
void registerBundle(__CFBundle* bundle);
}  // namespace CFPlugInRegistry
