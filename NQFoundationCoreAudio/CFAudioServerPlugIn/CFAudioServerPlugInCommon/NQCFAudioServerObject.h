#pragma once
// The audio objects of a driver: each is a property map with its object id and class name.
#include "CFPropertyMap.h"

namespace NQCFAudioServer {

class Object : public CFPropertyMap {
 public:
  Object(AudioObjectID objectID, const char* className, const tagCFPropertyMapEntry* propertyMap);

  const char* ClassName() const override { return mClassName; }
  AudioObjectID ObjectID() const { return mObjectID; }

  // Answers from the map only for this object's own id; another id is reported and answered
  // with nothing.
  void GetPropertyData(AudioObjectID inObjectID, OSStatus& status, const AudioObjectPropertyAddress& address,
                       UInt32 qualifierDataSize, const void* qualifierData, UInt32 inDataSize,
                       UInt32* outDataSize, void* outData) const;

 protected:
  // The kinds with a second table append it after the first.
  Object(AudioObjectID objectID, const char* className, const tagCFPropertyMapEntry* propertyMap,
         const tagCFPropertyMapEntry* pPropertyMap);

 private:
  AudioObjectID mObjectID;
  const char* mClassName;
};

class PlugIn : public Object {
 public:
  PlugIn();
};

class Box : public Object {
 public:
  Box();
};

class Device : public Object {
 public:
  Device();
};

class Stream : public Object {
 public:
  Stream(AudioObjectID objectID, const tagCFPropertyMapEntry* pPropertyMap);
};

class ControlVolume : public Object {
 public:
  ControlVolume(AudioObjectID objectID, const tagCFPropertyMapEntry* pPropertyMap);
};

class ControlMute : public Object {
 public:
  ControlMute(AudioObjectID objectID, const tagCFPropertyMapEntry* pPropertyMap);
};

class ControlData : public Object {
 public:
  explicit ControlData(AudioObjectID objectID);
};

}  // namespace NQCFAudioServer
