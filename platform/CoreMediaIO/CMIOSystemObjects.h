#pragma once
// The system's side of the object tree, as the platform's camera system keeps it: which
// plug-ins are loaded, which ids they were given and which objects they have published. One
// per process. The camera host (host/), which stands for the system, loads plug-ins through
// it and reads it to list devices and streams.
#include <CoreMediaIO/CMIOHardwarePlugIn.h>

typedef struct {
  CMIOObjectID objectID;
  CMIOClassID classID;
  CMIOObjectID owner;
  CMIOHardwarePlugInRef plugIn;
  Boolean published;
} CMIOSystemObject;

// Gives a loaded plug-in the id of its plug-in object (published, owned by the system).
CF_EXPORT CMIOObjectID _CMIOSystemAddPlugIn(CMIOHardwarePlugInRef plugIn);
// Forgets the plug-in and every object it made.
CF_EXPORT void _CMIOSystemRemovePlugIn(CMIOHardwarePlugInRef plugIn);
// The object of an id; false when there is none.
CF_EXPORT Boolean _CMIOSystemGetObject(CMIOObjectID objectID, CMIOSystemObject* object);
// The published objects of a class that an object owns, in the order they were made: writes
// up to capacity of them and answers how many there are.
CF_EXPORT UInt32 _CMIOSystemGetPublishedObjects(CMIOObjectID owner, CMIOClassID classID, UInt32 capacity,
                                                CMIOSystemObject objects[]);
// How many property changes were told for an object.
CF_EXPORT UInt64 _CMIOSystemGetPropertyChangeCount(CMIOObjectID objectID);
// Counts every change of the tree, so that a caller can wait for the next one.
CF_EXPORT UInt64 _CMIOSystemGetGeneration(void);
// Answers whether the tree changed after `seen` within the milliseconds given.
CF_EXPORT Boolean _CMIOSystemWaitForChange(UInt64 seen, UInt32 milliseconds);
