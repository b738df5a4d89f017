#include "core/process_state.h"

#include "diagnostics/log_limits.h"

char* installPath = nullptr;
char* dataPath = nullptr;
char* logPath = nullptr;
bool consoleMode = false;
int debugLevel = 0;
std::atomic<int> exitStatus{0};

CRITICAL_SECTION logLock;
RollingFile* logFile = nullptr;
std::atomic<std::uint64_t> logSizeLimit{defaultLogSizeLimit};
std::atomic<unsigned> logFilesKept{defaultLogFilesKept};
CRITICAL_SECTION configLock;
std::map<std::string, std::string>* configOptions = nullptr;

SERVICE_STATUS_HANDLE serviceStatusHandle = nullptr;
CRITICAL_SECTION statusLock;
SERVICE_STATUS serviceStatus = {};
DWORD nextCheckPoint = 1;
std::atomic<bool> keepRunning{true};
std::atomic<bool> servicePaused{false};
HANDLE shutdownEvent = nullptr;
ULONGLONG stopArrivedTick = 0;
std::atomic<DWORD> pendingControl{0};
HANDLE lifecycleThread = nullptr;
ULONGLONG lifecycleCallStarted = 0;
HANDLE controlEvent = nullptr;

char* jvmDllPath = nullptr;
LaunchRecord launchRecord = {};
JavaVM* jvm = nullptr;
HANDLE jvmCreatedEvent = nullptr;
HANDLE mainStartedEvent = nullptr;
HANDLE jvmThread = nullptr;
std::atomic<MainEntry> mainEntry{MainEntry::awaited};
DWORD jvmLoadError = ERROR_SUCCESS;
jint jvmCreationResult = JNI_OK;

StreamCapture* javaOutputCapture = nullptr;
StreamCapture* vmOutputCapture = nullptr;
RollingFile* javaOutputFile = nullptr;
RollingFile* threadDumpFile = nullptr;

CRITICAL_SECTION vmMessageLock;
VmMessageLines* vmMessageLines = nullptr;

