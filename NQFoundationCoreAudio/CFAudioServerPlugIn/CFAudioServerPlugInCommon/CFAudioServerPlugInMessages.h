#pragma once
// The records that carry one property call from the driver interface to the handlers, built
// on the stack for the call, and the list of changes that a set hands back for notification.
#include <CoreAudio/AudioServerPlugIn.h>

namespace NQCFAudioServer {

// Where a call was answered, filled in by the handler for the logs.
struct WhereAnswered_t {
  const char* function = "";
  const char* file = "";
  int line = 0;
};

struct MessageIn_t {
  AudioServerPlugInDriverRef Driver;
  AudioObjectID ObjectID;
  pid_t ClientProcessID;
  const AudioObjectPropertyAddress* Address;
};

struct HasPropertyMessage_t {
  WhereAnswered_t* where;
  MessageIn_t in;
};

struct IsSettableMessage_t {
  WhereAnswered_t* where;
  MessageIn_t in;
  Boolean* outIsSettable;
};

struct GetDataSizeMessage_t {
  WhereAnswered_t* where;
  MessageIn_t in;
  UInt32 QualifierDataSize;
  const void* QualifierData;
  UInt32* outDataSize;
};

struct GetDataMessage_t {
  WhereAnswered_t* where;
  MessageIn_t in;
  UInt32 QualifierDataSize;
  const void* QualifierData;
  UInt32 InDataSize;
  UInt32* outDataSize;
  void* outData;
};

struct SetDataMessage_t {
  WhereAnswered_t* where;
  MessageIn_t in;
  UInt32 QualifierDataSize;
  const void* QualifierData;
  UInt32 InDataSize;
  const void* InData;
};

// Marks the handler that answers a message, for the failure log.
#define MESSAGE_ANSWERED_HERE(message)          \
  do {                                          \
    (message).where->function = __FUNCTION__;   \
    (message).where->file = REQUIRED_FILE_NAME; \
    (message).where->line = __LINE__;           \
  } while (0)

// The addresses whose values a set changed; at most kMax of them.
class PropertiesChanged {
 public:
  static constexpr UInt32 kMax = 3;

  // A fourth address is reported and dropped.
  void AddPropertyChange(const AudioObjectPropertyAddress& address);

  UInt32 mAddressCount = 0;
  AudioObjectPropertyAddress mAddresses[kMax] = {};
};

}  // namespace NQCFAudioServer
