#include "NSMutableData_NSDatazer.h"

#include "CoreMachDebug.h"

int import_NSDatazer() { return 1; }

namespace NSDatazer {

bool transformData(NSMutableData* data) {
  if (!data) return true;
  auto* bytes = static_cast<uint8_t*>(data->mutableBytes());
  const size_t length = data->length();
  for (size_t i = 0; i < length; ++i) bytes[i] = uint8_t((bytes[i] << 4) | (bytes[i] >> 4));
  return true;
}

bool transform(NSMutableData* data) { return transformData(data); }

NSMutableData* dataWithNSDataBytes_length(const void* bytes, size_t length) {
  NSMutableData* result = (bytes || length == 0) ? NSMutableData::dataWithBytes_length(bytes, length) : nullptr;
  if (!result) {
    _CoreMachDebugVerifyBody("+[NSMutableData(NSDatazer) dataWithNSDataBytes:length:]", __FILE__, __LINE__,
                             " code : result!=nil");
  }
  return result;
}

NSMutableData* dataWithNSData(NSData* data) {
  return data ? dataWithNSDataBytes_length(data->bytes(), data->length()) : dataWithNSDataBytes_length(nullptr, 1);
}

NSMutableData* dataWithNSDatazerBytes_length(const void* bytes, size_t length) {
  NSMutableData* result = dataWithNSDataBytes_length(bytes, length);
  if (result) transformData(result);
  return result;
}

}  // namespace NSDatazer
