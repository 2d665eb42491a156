#include "CMIOPropertyMapTables.h"

// "Object" entries have the value 0: their objects serve them from their own fields.
#define ENTRY(selector, size, has, settable, value) \
  {FOUR_CHAR_CODE(selector), size, has, settable, static_cast<UInt64>(value)}
#define STRING(text) CMIOPropertyStringValue(CFSTR(text))
#define END {0, 0, 0, 0, 0}

const tagCMIOPropertyMapEntry CMIODALPlugin_PropertyMap[] = {
    ENTRY("lnam", 8, true, false, STRING("NQ.DALPlugIn")),
    ENTRY("ownd", 4, false, false, 0),
    END,
};

const tagCMIOPropertyMapEntry CMIODALDeviceBase_PropertyMap[] = {
    ENTRY("lnam", 8, true, false, 0),
    ENTRY("lmak", 8, true, false, STRING("NQ.Manufacturer")),
    ENTRY("lccn", 8, true, false, STRING("NQ.ElementCategoryName")),
    ENTRY("lcnn", 8, true, false, STRING("NQ.ElementNumberName")),
    ENTRY("plug", 4, true, false, 0),
    ENTRY("uid ", 8, true, false, 0),
    ENTRY("muid", 8, true, false, STRING("NQ.DeviceModelUID")),
    ENTRY("tran", 4, true, false, FOUR_CHAR_CODE("bltn")),
    ENTRY("livn", 4, true, false, 1),
    ENTRY("diff", 4, true, false, 0),
    ENTRY("goin", 4, true, false, 1),
    ENTRY("gone", 4, true, false, 1),
    ENTRY("dflt", 4, true, false, 1),
    ENTRY("oink", 4, true, false, UInt32(-1)),
    ENTRY("ltnc", 4, true, false, 0),
    ENTRY("stm#", 4, true, false, 0),
    ENTRY("pmac", 1, true, false, 0),
    ENTRY("r422", 1, true, false, 0),
    ENTRY("slay", 8, false, false, 0),
    ENTRY("plud", 8, false, false, 0),
    ENTRY("plsd", 8, false, false, 0),
    ENTRY("ownd", 4, false, false, 0),
    ENTRY("sbyu", 4, false, false, 0),
    ENTRY("ixna", 4, true, true, 0),
    ENTRY("pmnh", 4, true, true, 0),
    ENTRY("lisa", 12, true, true, 0),
    ENTRY("lisr", 12, true, true, 0),
    END,
};

const tagCMIOPropertyMapEntry CMIODALStreamBase_PropertyMap[] = {
    ENTRY("ownd", 4, false, false, 0),
    ENTRY("ipls", 24, false, false, 0),
    ENTRY("lnam", 8, true, false, STRING("NQ.StreamName")),
    ENTRY("lmak", 8, true, false, STRING("NQ.Manufacturer")),
    ENTRY("lchn", 8, true, false, STRING("NQ.StreamElement")),
    ENTRY("lccn", 8, false, false, 0),
    ENTRY("lcnn", 8, false, false, 0),
    ENTRY("sdir", 4, true, false, 1),
    ENTRY("term", 4, false, false, 0),
    ENTRY("schn", 4, false, false, 0),
    ENTRY("ltnc", 4, false, false, 0),
    ENTRY("pfta", 8, true, false, 0),
    ENTRY("pft ", 8, true, false, 0),
    ENTRY("nfrt", 8, true, false, 0),
    ENTRY("nfr#", 8, true, false, 0),
    ENTRY("mfrt", 8, true, false, 0),
    ENTRY("pmcl", 8, true, false, 0),
    ENTRY("miff", 4, false, false, 0),
    ENTRY("frrg", 16, true, false, 0),
    END,
};
