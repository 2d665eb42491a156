#pragma once
// The Script Manager's variables, as far as text conversion asks for them.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/MacTypes.h>

typedef SInt16 LangCode;

enum : ScriptCode { smRoman = 0, smJapanese = 1, smTradChinese = 2, smKorean = 3, smSimpChinese = 25 };
enum : RegionCode { verUS = 0 };
enum : short { smRegionCode = 40 };

// This system runs in one region, the United States one.
CF_EXPORT long GetScriptManagerVariable(short selector);
