// Names the developer log of a test program of the digitizer after the program.
const char* g_CoreMachDebug_LogPrefix = DEVELOPER_LOG_NAME;
const char* g_CoreMachDebug_LogFileName = DEVELOPER_LOG_NAME ".log";
