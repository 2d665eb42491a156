#include <AudioToolbox/AUGraph.h>
#include <AudioToolbox/AudioOutputUnit.h>
#include <AudioToolbox/AudioUnitProperties.h>

#include <algorithm>
#include <new>
#include <vector>

#include "backend/AudioUnitInstance.h"

struct OpaqueAUGraph {
  struct Node {
    AUNode node;
    AudioComponentDescription description;
    AudioUnit unit = nullptr;
  };
  struct Connection {
    AUNode source;
    UInt32 sourceOutput;
    AUNode destination;
    UInt32 destinationInput;
  };

  Node* find(AUNode node) {
    auto found = std::find_if(nodes.begin(), nodes.end(), [&](const Node& n) { return n.node == node; });
    return found == nodes.end() ? nullptr : &*found;
  }
  OSStatus makeUnit(Node& node) {
    AudioComponent component = AudioComponentFindNext(nullptr, &node.description);
    if (!component) return kAUGraphErr_InvalidAudioUnit;
    return AudioComponentInstanceNew(component, &node.unit);
  }
  OSStatus connect(const Connection& connection) {
    Node* source = find(connection.source);
    Node* destination = find(connection.destination);
    if (!source || !destination) return kAUGraphErr_NodeNotFound;
    const AudioUnitConnection link{source->unit, connection.sourceOutput, connection.destinationInput};
    return AudioUnitSetProperty(destination->unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input,
                                connection.destinationInput, &link, sizeof link);
  }
  bool isOutput(const Node& node) const { return node.description.componentType == kAudioUnitType_Output; }

  std::vector<Node> nodes;
  std::vector<Connection> connections;
  AUNode nextNode = 1;
  bool open = false;
  bool initialized = false;
  bool running = false;
};

OSStatus NewAUGraph(AUGraph* outGraph) {
  if (!outGraph) return kAudio_ParamError;
  *outGraph = new (std::nothrow) OpaqueAUGraph;
  return *outGraph ? OSStatus(noErr) : OSStatus(kAudio_MemFullError);
}

OSStatus DisposeAUGraph(AUGraph inGraph) {
  if (!inGraph) return kAudio_ParamError;
  AUGraphClose(inGraph);
  delete inGraph;
  return noErr;
}

OSStatus AUGraphAddNode(AUGraph inGraph, const AudioComponentDescription* inDescription, AUNode* outNode) {
  if (!inGraph || !inDescription || !outNode) return kAudio_ParamError;
  if (!AudioComponentFindNext(nullptr, inDescription)) return kAUGraphErr_InvalidAudioUnit;
  OpaqueAUGraph::Node node{inGraph->nextNode, *inDescription};
  if (inGraph->open) {
    const OSStatus status = inGraph->makeUnit(node);
    if (status != noErr) return status;
  }
  inGraph->nodes.push_back(node);
  *outNode = inGraph->nextNode++;
  return noErr;
}

OSStatus AUGraphRemoveNode(AUGraph inGraph, AUNode inNode) {
  if (!inGraph) return kAudio_ParamError;
  if (inGraph->running) return kAUGraphErr_CannotDoInCurrentContext;
  OpaqueAUGraph::Node* node = inGraph->find(inNode);
  if (!node) return kAUGraphErr_NodeNotFound;
  if (node->unit) AudioComponentInstanceDispose(node->unit);
  auto& connections = inGraph->connections;
  connections.erase(std::remove_if(connections.begin(), connections.end(),
                                   [&](const OpaqueAUGraph::Connection& c) {
                                     return c.source == inNode || c.destination == inNode;
                                   }),
                    connections.end());
  inGraph->nodes.erase(inGraph->nodes.begin() + (node - inGraph->nodes.data()));
  return noErr;
}

OSStatus AUGraphNodeInfo(AUGraph inGraph, AUNode inNode, AudioComponentDescription* outDescription,
                         AudioUnit* outAudioUnit) {
  if (!inGraph) return kAudio_ParamError;
  OpaqueAUGraph::Node* node = inGraph->find(inNode);
  if (!node) return kAUGraphErr_NodeNotFound;
  if (outDescription) *outDescription = node->description;
  if (outAudioUnit) *outAudioUnit = node->unit;
  return noErr;
}

OSStatus AUGraphConnectNodeInput(AUGraph inGraph, AUNode inSourceNode, UInt32 inSourceOutputNumber,
                                 AUNode inDestNode, UInt32 inDestInputNumber) {
  if (!inGraph) return kAudio_ParamError;
  if (inSourceNode == inDestNode) return kAUGraphErr_InvalidConnection;
  if (!inGraph->find(inSourceNode) || !inGraph->find(inDestNode)) return kAUGraphErr_NodeNotFound;
  const OpaqueAUGraph::Connection connection{inSourceNode, inSourceOutputNumber, inDestNode,
                                             inDestInputNumber};
  if (inGraph->open) {
    const OSStatus status = inGraph->connect(connection);
    if (status != noErr) return status;
  }
  inGraph->connections.push_back(connection);
  return noErr;
}

OSStatus AUGraphOpen(AUGraph inGraph) {
  if (!inGraph) return kAudio_ParamError;
  if (inGraph->open) return noErr;
  for (auto& node : inGraph->nodes) {
    const OSStatus status = inGraph->makeUnit(node);
    if (status != noErr) return status;
  }
  inGraph->open = true;
  for (const auto& connection : inGraph->connections) {
    const OSStatus status = inGraph->connect(connection);
    if (status != noErr) return status;
  }
  return noErr;
}

OSStatus AUGraphClose(AUGraph inGraph) {
  if (!inGraph) return kAudio_ParamError;
  AUGraphStop(inGraph);
  AUGraphUninitialize(inGraph);
  for (auto& node : inGraph->nodes) {
    if (node.unit) AudioComponentInstanceDispose(node.unit);
    node.unit = nullptr;
  }
  inGraph->open = false;
  return noErr;
}

OSStatus AUGraphInitialize(AUGraph inGraph) {
  if (!inGraph) return kAudio_ParamError;
  if (!inGraph->open) return kAUGraphErr_CannotDoInCurrentContext;
  for (auto& node : inGraph->nodes) {
    const OSStatus status = AudioUnitInitialize(node.unit);
    if (status != noErr) return status;
  }
  inGraph->initialized = true;
  return noErr;
}

OSStatus AUGraphUninitialize(AUGraph inGraph) {
  if (!inGraph) return kAudio_ParamError;
  AUGraphStop(inGraph);
  for (auto& node : inGraph->nodes)
    if (node.unit) AudioUnitUninitialize(node.unit);
  inGraph->initialized = false;
  return noErr;
}

OSStatus AUGraphStart(AUGraph inGraph) {
  if (!inGraph) return kAudio_ParamError;
  if (!inGraph->initialized) return kAudioUnitErr_Uninitialized;
  if (inGraph->running) return noErr;
  bool hasOutput = false;
  for (auto& node : inGraph->nodes) {
    if (!inGraph->isOutput(node)) continue;
    hasOutput = true;
    const OSStatus status = AudioOutputUnitStart(node.unit);
    if (status != noErr) {
      for (auto& started : inGraph->nodes)
        if (inGraph->isOutput(started)) AudioOutputUnitStop(started.unit);
      return status;
    }
  }
  if (!hasOutput) return kAUGraphErr_OutputNodeErr;
  inGraph->running = true;
  return noErr;
}

OSStatus AUGraphStop(AUGraph inGraph) {
  if (!inGraph) return kAudio_ParamError;
  if (!inGraph->running) return noErr;
  for (auto& node : inGraph->nodes)
    if (inGraph->isOutput(node)) AudioOutputUnitStop(node.unit);
  inGraph->running = false;
  return noErr;
}

OSStatus AUGraphIsRunning(AUGraph inGraph, Boolean* outIsRunning) {
  if (!inGraph || !outIsRunning) return kAudio_ParamError;
  *outIsRunning = inGraph->running;
  return noErr;
}
