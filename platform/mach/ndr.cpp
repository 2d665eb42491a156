#include <mach/ndr.h>

const NDR_record_t NDR_record = {0, 0, 0, 0, NDR_INT_LITTLE_ENDIAN, 0, 0, 0};
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the record names this machine's byte order");
