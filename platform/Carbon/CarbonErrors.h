#pragma once
// The status codes that the File, Folder and Text Encoding managers answer.
#include <CoreFoundation/MacTypes.h>

inline constexpr OSErr dirFulErr = -33;
inline constexpr OSErr dskFulErr = -34;
inline constexpr OSErr nsvErr = -35;
inline constexpr OSErr ioErr = -36;
inline constexpr OSErr bdNamErr = -37;
inline constexpr OSErr eofErr = -39;
inline constexpr OSErr posErr = -40;
inline constexpr OSErr tmfoErr = -42;
inline constexpr OSErr fnfErr = -43;
inline constexpr OSErr wPrErr = -44;
inline constexpr OSErr fLckdErr = -45;
inline constexpr OSErr vLckdErr = -46;
inline constexpr OSErr fBsyErr = -47;
inline constexpr OSErr dupFNErr = -48;
inline constexpr OSErr paramErr = -50;
inline constexpr OSErr rfNumErr = -51;
inline constexpr OSErr permErr = -54;
inline constexpr OSErr memFullErr = -108;
inline constexpr OSErr dirNFErr = -120;
inline constexpr OSErr notAFileErr = -1302;
inline constexpr OSErr errFSBadFSRef = -1401;
inline constexpr OSErr errFSBadForkName = -1402;
inline constexpr OSErr errFSBadBuffer = -1403;
inline constexpr OSErr errFSBadForkRef = -1404;
inline constexpr OSErr errFSBadInfoBitmap = -1405;
inline constexpr OSErr errFSNotAFolder = -1407;
inline constexpr OSErr errFSForkNotFound = -1409;
inline constexpr OSErr errFSNameTooLong = -1410;
inline constexpr OSErr errFSMissingName = -1411;
inline constexpr OSErr errFSBadPosMode = -1412;
inline constexpr OSErr errFSRefsDifferent = -1420;
inline constexpr OSErr errFSForkExists = -1421;
inline constexpr OSErr pathTooLongErr = -2110;
inline constexpr OSErr afpAccessDenied = -5000;

inline constexpr OSStatus kTextUnsupportedEncodingErr = -8738;
inline constexpr OSStatus kTextMalformedInputErr = -8739;
inline constexpr OSStatus kTextUndefinedElementErr = -8740;
inline constexpr OSStatus kTECNoConversionPathErr = -8749;
inline constexpr OSStatus kTECOutputBufferFullStatus = -8785;
