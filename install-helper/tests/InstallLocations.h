#pragma once
// The install location names and the folders they stand for, below the system root.

struct InstallLocation {
  const char* name;
  const char* folder;
};

inline constexpr InstallLocation kInstallLocations[] = {
    {"Library.QuickTime", "/Library/QuickTime"},
    {"Library.CoreMediaIO", "/Library/CoreMediaIO/Plug-Ins/DAL"},
    {"Library.CoreImage", "/Library/Graphics/Image Units"},
    {"Library.QuartzComposer", "/Library/Graphics/Quartz Composer Plug-Ins"},
    {"Library.Compositions", "/Library/Compositions"},
    {"Library.Audio.PlugIns.HAL", "/Library/Audio/Plug-Ins/HAL"},
    {"System.Library.KEXT", "/System/Library/Extensions"},
};
