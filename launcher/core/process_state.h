#pragma once

#include <windows.h>

#include <jni.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <string>

#include "diagnostics/rolling_file.h"
#include "diagnostics/stream_capture.h"
#include "jvmhost/vm_message_lines.h"
#include "service/launch_record.h"

// The launcher's process-wide state. Paths and modes are written by main before any other
// thread exists; what changes later is guarded by the lock named beside it.

extern char* installPath;
extern char* dataPath;
extern char* logPath;
extern bool consoleMode;
extern int debugLevel;
// What main returns: 1 once a launch has failed, the status the VM exits with after System.exit.
extern std::atomic<int> exitStatus;

extern CRITICAL_SECTION logLock;
extern RollingFile* logFile;  // made by main with logPath; opened under logLock
// The bounds of every file of the log folder: the defaults until the launch has read
// vorna.properties.
extern std::atomic<std::uint64_t> logSizeLimit;
extern std::atomic<unsigned> logFilesKept;
extern CRITICAL_SECTION configLock;
extern std::map<std::string, std::string>* configOptions;  // load guarded by configLock

extern SERVICE_STATUS_HANDLE serviceStatusHandle;
extern CRITICAL_SECTION statusLock;
extern SERVICE_STATUS serviceStatus;  // guarded by statusLock
extern DWORD nextCheckPoint;          // guarded by statusLock
extern std::atomic<bool> keepRunning;
extern std::atomic<bool> servicePaused;
extern HANDLE shutdownEvent;
extern ULONGLONG stopArrivedTick;  // written by the handler before it clears keepRunning
// A pause or continue whose method runs: its control (0 for none), its thread and when it began;
// all guarded by statusLock. controlEvent wakes the supervision loop when one begins.
extern std::atomic<DWORD> pendingControl;
extern HANDLE lifecycleThread;
extern ULONGLONG lifecycleCallStarted;
extern HANDLE controlEvent;

extern char* jvmDllPath;
extern LaunchRecord launchRecord;
extern JavaVM* jvm;
extern HANDLE jvmCreatedEvent;
extern HANDLE mainStartedEvent;
extern HANDLE jvmThread;
// Whether the Java main method may still be entered: only while the launch waits for it. The Java
// main thread and the launch each change it once, whichever comes first.
enum class MainEntry { awaited, entered, givenUp };
extern std::atomic<MainEntry> mainEntry;
// Why the VM creation thread gave up, for the stopped report: written before that thread ends.
extern DWORD jvmLoadError;      // GetLastError of the VM library's LoadLibraryA
extern jint jvmCreationResult;  // what JNI_CreateJavaVM returned

// Service mode: the pipes that stand in for the standard streams (null when there are none), and
// the file that Java's System.out and System.err go to.
extern StreamCapture* javaOutputCapture;
extern StreamCapture* vmOutputCapture;
extern RollingFile* javaOutputFile;
// The thread dumps of the log folder, made by main with the other paths.
extern RollingFile* threadDumpFile;

// The VM's messages without their line end yet, each thread's apart.
extern CRITICAL_SECTION vmMessageLock;
extern VmMessageLines* vmMessageLines;  // guarded by vmMessageLock
