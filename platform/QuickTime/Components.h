#pragma once
// The Component Manager: components are code in bundles (extension "component") that a host
// opens by description and talks to through one entry, the component's dispatcher, called
// with a selector and its parameters.
//
// A component bundle says in its Info.plist what the platform's component resource says of
// it: "ComponentType", "ComponentSubType" and "ComponentManufacturer" (four-character
// strings) and "ComponentEntryPoint", the name of the dispatcher that its executable exports.
#include <Carbon/Files.h>
#include <CoreFoundation/MacTypes.h>

#define QT_EXPORT extern "C" __attribute__((visibility("default")))

typedef SInt32 ComponentResult;
typedef struct ComponentRecord* Component;
typedef struct ComponentInstanceRecord* ComponentInstance;

// One call of a component: `what` is the selector, `params` its arguments, the last first.
struct ComponentParameters {
  UInt8 flags;
  UInt8 paramSize;  // bytes of params
  SInt16 what;
  UInt32 padding;
  long params[1];
};

typedef ComponentResult (*ComponentRoutineProcPtr)(ComponentParameters* cp, Handle componentStorage);

struct ComponentDescription {
  OSType componentType;  // 0 matches any in FindNextComponent
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
};

// Selectors every component answers, whatever its type.
enum : SInt16 {
  kComponentOpenSelect = -1,   // params[0]: the new instance
  kComponentCloseSelect = -2,  // params[0]: the instance
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4,
  kComponentRegisterSelect = -5,
  kComponentTargetSelect = -6,
  kComponentUnregisterSelect = -7,
};

enum : OSErr {
  invalidComponentID = -3000,
  componentDllLoadErr = -2091,
  componentDllEntryNotFoundErr = -2092,
};
enum : ComponentResult {
  badComponentInstance = ComponentResult(0x80008001),
  badComponentSelector = ComponentResult(0x80008002),
};

// Registers the component bundle that the reference names (a symbolic link to one is followed)
// for this process; `global` is accepted and has no further meaning here. paramErr for an item
// that is no component bundle, invalidComponentID for one whose Info.plist lacks a field. A
// bundle registered again keeps its one registration.
QT_EXPORT OSErr RegisterComponentFileRef(const FSRef* ref, SInt16 global);
// The registered component after `aComponent` (the first for null) whose type, subtype and
// manufacturer equal those looked for where they are not 0; null when there is none.
QT_EXPORT Component FindNextComponent(Component aComponent, ComponentDescription* looking);
// Loads the component's executable (which then stays loaded for the life of the process, its
// module's end running at exit), finds its entry and calls it with kComponentOpenSelect. A component that
// refuses (any result but noErr) gets no instance; that result is answered, or componentDllLoadErr /
// componentDllEntryNotFoundErr.
QT_EXPORT OSErr OpenAComponent(Component aComponent, ComponentInstance* ci);
// Calls the entry with kComponentCloseSelect, then lets the instance go; badComponentInstance
// for an instance that is not open.
QT_EXPORT OSErr CloseComponent(ComponentInstance aComponentInstance);
