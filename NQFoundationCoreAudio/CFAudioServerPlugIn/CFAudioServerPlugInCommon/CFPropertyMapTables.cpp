#include "CFPropertyMapTables.h"

#include "CFAudioServerObjectIDs.h"

namespace NQCFAudioServer {

namespace {

constexpr SInt64 code(const char (&text)[5]) { return SInt64(FOUR_CHAR_CODE(text)); }
SInt64 text(CFStringRef string) { return CFPropertyMapStringValue(string); }

// A row of a property the object has: size, settable, value.
tagCFPropertyMapEntry row(const char (&selector)[5], UInt32 size, UInt8 settable, SInt64 value) {
  return {FOUR_CHAR_CODE(selector), size, 1, settable, value};
}
// A row of a property that is listed but not supported.
tagCFPropertyMapEntry unsupported(const char (&selector)[5]) {
  return {FOUR_CHAR_CODE(selector), 0, 0, 0, 0};
}
constexpr tagCFPropertyMapEntry kEnd = {0, 0, 0, 0, 0};

// Rows answered by a handler of the plug-in base carry no value.
constexpr SInt64 kHandler = 0;

}  // namespace

// The plug-in owns its box and its device (answered by the plug-in handler).
const tagCFPropertyMapEntry AudioServerPlugin_PropertyMap[] = {
    row("bcls", 4, 0, code("aobj")),
    row("clas", 4, 0, code("aplg")),
    row("stdv", 4, 0, 0),
    row("lmak", 8, 0, text(CFSTR("Manufacturer"))),
    row("ownd", 8, 0, kHandler),
    row("box#", 4, 0, kObjectID_Box),
    row("dev#", 4, 0, kObjectID_Device),
    row("rsrc", 8, 0, text(CFSTR(""))),
    row("uidb", 4, 0, 0),
    row("uidd", 4, 0, 0),
    unsupported("lnam"),
    unsupported("cust"),
    unsupported("clk#"),
    unsupported("rsrc"),
    kEnd,
};

// Objects that own nothing answer an empty owned-object list.
const tagCFPropertyMapEntry AudioServerBox_PropertyMap[] = {
    row("bcls", 4, 0, code("aobj")),
    row("clas", 4, 0, code("abox")),
    row("stdv", 4, 0, kObjectID_PlugIn),
    row("lmod", 8, 0, text(CFSTR("Model Name"))),
    row("lmak", 8, 0, text(CFSTR("Manufacturer"))),
    row("snum", 8, 0, text(CFSTR("000-000-000"))),
    row("fwvn", 8, 0, text(CFSTR("1.000"))),
    row("ownd", 0, 0, 0),
    row("buid", 8, 0, kHandler),
    row("tran", 4, 0, code("virt")),
    row("bhau", 4, 0, 1),
    row("bhvi", 4, 0, 0),
    row("bhmi", 4, 0, 0),
    row("bpro", 4, 0, 0),
    row("bxof", 4, 0, 0),
    row("bdv#", 4, 0, kObjectID_Device),
    row("lnam", 8, 1, kHandler),
    row("iden", 4, 1, 0),
    row("bxon", 4, 1, 0),
    unsupported("cust"),
    kEnd,
};

const tagCFPropertyMapEntry AudioServerDevice_PropertyMap[] = {
    row("bcls", 4, 0, code("aobj")),
    row("clas", 4, 0, code("adev")),
    row("stdv", 4, 0, kObjectID_PlugIn),
    row("ownd", 4, 0, kHandler),
    row("iden", 4, 0, 0),
    row("lmak", 8, 0, text(CFSTR("Manufacturer"))),
    row("lnam", 8, 0, kHandler),
    row("uid ", 8, 0, kHandler),
    row("muid", 8, 0, kHandler),
    row("icon", 8, 0, kHandler),
    row("stm#", 8, 0, kHandler),
    row("nsrt", 8, 1, kHandler),
    row("ring", 4, 0, kHandler),
    row("tran", 4, 0, code("virt")),
    row("clkd", 4, 0, 0),
    row("livn", 4, 0, 1),
    row("goin", 4, 0, kHandler),
    row("dflt", 4, 0, 1),
    row("sflt", 4, 0, 1),
    row("ltnc", 4, 0, 0),
    row("ctrl", 24, 0, kHandler),
    row("saft", 4, 0, 0),
    row("hidn", 4, 0, 0),
    row("dch2", 8, 0, kHandler),
    row("nsr#", 80, 0, kHandler),
    row("srnd", 64, 0, kHandler),
    row("akin", 4, 0, kObjectID_Device),
    unsupported("cust"),
    unsupported("capp"),
    unsupported("clkd"),
    unsupported("cfsz"),
    unsupported("clok"),
    unsupported("cstb"),
    unsupported("accs"),
    unsupported("auto"),
    unsupported("lisa"),
    unsupported("lccn"),
    unsupported("lchn"),
    unsupported("lisr"),
    kEnd,
};

const tagCFPropertyMapEntry AudioServerStreamBase_PropertyMap[] = {
    row("bcls", 4, 0, code("aobj")),
    row("clas", 4, 0, code("astr")),
    row("stdv", 4, 0, kObjectID_Device),
    row("ownd", 0, 0, 0),
    row("sact", 4, 0, kHandler),
    row("ltnc", 4, 0, 0),
    row("sfmt", 40, 0, kHandler),
    row("pft ", 40, 0, kHandler),
    row("sfma", 280, 0, kHandler),
    row("pfta", 280, 0, kHandler),
    row("schn", 4, 0, 0),
    unsupported("taps"),
    unsupported("cust"),
    kEnd,
};

const tagCFPropertyMapEntry AudioServerInputStream_PropertyMap[] = {
    row("sdir", 4, 0, 1),
    row("term", 4, 0, code("micr")),
    kEnd,
};

const tagCFPropertyMapEntry AudioServerOutputStream_PropertyMap[] = {
    row("sdir", 4, 0, 0),
    row("term", 4, 0, code("spkr")),
    kEnd,
};

// The scalar and decibel values are settable wherever the control handlers let a set act;
// the input side's handler answers not settable for all of its controls.
const tagCFPropertyMapEntry AudioServerControlVolumeBase_PropertyMap[] = {
    row("bcls", 4, 0, code("levl")),
    row("clas", 4, 0, code("vlme")),
    row("stdv", 4, 0, kObjectID_Device),
    row("ownd", 0, 0, 0),
    row("celm", 4, 0, 0),
    row("lcdr", 16, 0, kHandler),
    row("lcsd", 4, 0, kHandler),
    row("lcds", 4, 0, kHandler),
    row("lcsv", 4, 1, kHandler),
    row("lcdv", 4, 1, kHandler),
    unsupported("cust"),
    kEnd,
};

const tagCFPropertyMapEntry AudioServerControlVolumeInput_PropertyMap[] = {
    row("lcsv", 4, 1, 0),
    row("lcdv", 4, 1, 0),
    row("cscp", 4, 0, code("inpt")),
    kEnd,
};

const tagCFPropertyMapEntry AudioServerControlVolumeOutput_PropertyMap[] = {
    row("cscp", 4, 0, code("outp")),
    kEnd,
};

const tagCFPropertyMapEntry AudioServerControlMuteBase_PropertyMap[] = {
    row("bcls", 4, 0, code("togl")),
    row("clas", 4, 0, code("mute")),
    row("stdv", 4, 0, kObjectID_Device),
    row("ownd", 0, 0, 0),
    row("celm", 4, 0, 0),
    unsupported("cust"),
    kEnd,
};

const tagCFPropertyMapEntry AudioServerControlMuteInput_PropertyMap[] = {
    row("cscp", 4, 0, code("inpt")),
    kEnd,
};

const tagCFPropertyMapEntry AudioServerControlMuteOutput_PropertyMap[] = {
    row("bcvl", 4, 1, kHandler),
    row("cscp", 4, 0, code("outp")),
    kEnd,
};

const tagCFPropertyMapEntry AudioServerControlData_PropertyMap[] = {
    row("bcls", 4, 0, code("slct")),
    row("clas", 4, 0, code("dsrc")),
    row("stdv", 4, 0, kObjectID_Device),
    row("ownd", 0, 0, 0),
    row("cscp", 4, 0, 0),
    row("celm", 4, 0, 0),
    row("scci", 4, 0, kHandler),
    row("scai", 4, 0, kHandler),
    row("scin", 8, 0, kHandler),
    unsupported("cust"),
    kEnd,
};

}  // namespace NQCFAudioServer
