#pragma once
// This machine's announcement as a reader decodes it: text keys, data values.
#include <CFNetwork/CFNetServices.h>
#include <objc/RefPtr.h>

#include "NQBonjourIOSurfaceProtocol.h"

inline RefPtr<const __CFDictionary> decodedRecordOfThisMachine() {
  const RefPtr<__CFDictionary> record = adopt(BonjourIOSurfaceProtocol_CopyDictionary(101, 102, 0.0));
  const RefPtr<const __CFData> txt = adopt(CFNetServiceCreateTXTDataWithDictionary(nullptr, record.get()));
  return adopt(CFNetServiceCreateDictionaryWithTXTData(nullptr, txt.get()));
}
