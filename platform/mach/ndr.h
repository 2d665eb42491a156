#pragma once
// The data representation record that follows a message's descriptors: it tells the receiver
// the sender's byte order.
#include <mach/std_types.h>

struct NDR_record_t {
  unsigned char mig_vers;
  unsigned char if_vers;
  unsigned char reserved1;
  unsigned char mig_encoding;
  unsigned char int_rep;
  unsigned char char_rep;
  unsigned char float_rep;
  unsigned char reserved2;
};
static_assert(sizeof(NDR_record_t) == 8, "the platform's record layout");

enum : unsigned char {
  NDR_INT_BIG_ENDIAN = 0,
  NDR_INT_LITTLE_ENDIAN = 1,
};

// This machine's representation.
MACH_EXPORT const NDR_record_t NDR_record;
