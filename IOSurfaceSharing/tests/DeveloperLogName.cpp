// Names the developer log of a test program of this library after the program: the library
// carries the log (its OpenGL classes report through it), and each program that links it
// names its own.
const char* g_CoreMachDebug_LogPrefix = DEVELOPER_LOG_NAME;
const char* g_CoreMachDebug_LogFileName = DEVELOPER_LOG_NAME ".log";
