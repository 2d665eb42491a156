#pragma once
// The audio server loads its plug-ins from the HAL plug-ins folder; after a plug-in comes or
// goes there, it is told to look again. It keeps its pid in
// <runtime>/CoreAudio/moxicam-audiod.pid and scans its folder again on SIGHUP. A pid file
// whose process is not the audio server is left alone, so that a stale or planted file never
// makes root signal another program. Without a running server there is nothing to do.
void rescanAudioServerPlugIns();
