#pragma once
// A graph of audio units: nodes made from descriptions, connections from one node's output
// to another's input, and the head output unit that starts and stops the whole.
#include <AudioToolbox/AUComponent.h>

typedef struct OpaqueAUGraph* AUGraph;
typedef SInt32 AUNode;

enum : OSStatus {
  kAUGraphErr_NodeNotFound = -10860,
  kAUGraphErr_InvalidConnection = -10861,
  kAUGraphErr_OutputNodeErr = -10862,
  kAUGraphErr_CannotDoInCurrentContext = -10863,
  kAUGraphErr_InvalidAudioUnit = -10864,
};

AT_EXPORT OSStatus NewAUGraph(AUGraph* outGraph);
AT_EXPORT OSStatus DisposeAUGraph(AUGraph inGraph);
AT_EXPORT OSStatus AUGraphAddNode(AUGraph inGraph, const AudioComponentDescription* inDescription,
                                  AUNode* outNode);
AT_EXPORT OSStatus AUGraphRemoveNode(AUGraph inGraph, AUNode inNode);
AT_EXPORT OSStatus AUGraphNodeInfo(AUGraph inGraph, AUNode inNode, AudioComponentDescription* outDescription,
                                   AudioUnit* outAudioUnit);
AT_EXPORT OSStatus AUGraphConnectNodeInput(AUGraph inGraph, AUNode inSourceNode, UInt32 inSourceOutputNumber,
                                           AUNode inDestNode, UInt32 inDestInputNumber);
// Opening makes the nodes' units; closing disposes of them.
AT_EXPORT OSStatus AUGraphOpen(AUGraph inGraph);
AT_EXPORT OSStatus AUGraphClose(AUGraph inGraph);
AT_EXPORT OSStatus AUGraphInitialize(AUGraph inGraph);
AT_EXPORT OSStatus AUGraphUninitialize(AUGraph inGraph);
AT_EXPORT OSStatus AUGraphStart(AUGraph inGraph);
AT_EXPORT OSStatus AUGraphStop(AUGraph inGraph);
AT_EXPORT OSStatus AUGraphIsRunning(AUGraph inGraph, Boolean* outIsRunning);
