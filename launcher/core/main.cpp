#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/path_limit.h"
#include "core/process_state.h"
#include "core/registry_text.h"
#include "core/text_copy.h"
#include "core/usage.h"
#include "diagnostics/log_writer.h"
#include "diagnostics/rolled_files.h"
#include "jvmhost/vm_hooks.h"
#include "service/output_capture.h"
#include "service/service_main.h"
#include "servicectl/service_check.h"
#include "servicectl/service_commands.h"
#include "servicectl/service_controls.h"
#include "servicectl/service_dump.h"
#include "servicectl/service_install.h"
#include "servicectl/service_start.h"

namespace {

// The install path read is bounded at 99 characters; the data directory gets room for a full path.
const char launcherKey[] = "SOFTWARE\\Ardilux\\VORNA";

const DWORD installPathCapacity = 100;
const DWORD dataPathCapacity = MAX_PATH;
// Rolled-over files are numbered from 1 up; a million roll-overs of the longest-named file fit.
const std::string longestLogFileName = "log\\" + rolledFileName("vorna-launcher.log", 999999);

// Each gives the process's exit code: 0 when it did what it says, else the Windows error code of
// its first failure.
struct Command {
    const char* argument;
    int (*run)();
};

// Tested in this order, each against the whole first argument, case-sensitively.
const Command commands[] = {
    {"/i", installService},
    {"/u", uninstallService},
    {"/start",
     [] { return runServiceCommand([](SC_HANDLE service) { return startService(service, logPath); }); }},
    {"/stop", [] { return runServiceCommand(stopService); }},
    {"/pause", [] { return runServiceCommand(pauseService); }},
    {"/cont", [] { return runServiceCommand(continueService); }},
    {"/check", [] { return runServiceCommand(checkService); }},
    {"/dump",
     [] { return runServiceCommand([](SC_HANDLE service) { return dumpThreads(service, threadDumpFile->path()); }); }},
};

const Command* findCommand(const char* argument) {
    for (const Command& command : commands) {
        if (std::strcmp(command.argument, argument) == 0) {
            return &command;
        }
    }
    return nullptr;
}

}  // namespace

int main(int argc, char* argv[]) {
    // The locks come first: every later step may log.
    InitializeCriticalSection(&logLock);
    InitializeCriticalSection(&configLock);
    InitializeCriticalSection(&statusLock);
    InitializeCriticalSection(&vmMessageLock);
    vmMessageLines = new VmMessageLines();

    std::string text;
    if (readRegistryText(launcherKey, "InstallPath", installPathCapacity, text) != ERROR_SUCCESS) {
        std::fprintf(stderr, "Error: could not read Install Path from registry.");
        return 1;
    }
    installPath = copyText(text);
    if (readRegistryText(launcherKey, "DataPath", dataPathCapacity, text) != ERROR_SUCCESS) {
        std::fprintf(stderr, "Error: could not read Data Path from registry.");
        return 1;
    }
    dataPath = copyText(text);
    logPath = copyText(std::string(dataPath) + "log\\vorna-launcher.log");
    logFile = new RollingFile(logPath);
    threadDumpFile = new RollingFile(std::string(dataPath) + "log\\vorna-threads.log");
    // A log that cannot be opened would lose every line in silence; its rolled-over files have the
    // longest names in the folder.
    if (!fitsNarrowFileFunctions((std::string(dataPath) + longestLogFileName).c_str())) {
        std::fprintf(stderr, "Error: Data Path from registry is too long for the log file path (at most %d characters).",
                     MAX_PATH - 1);
        return 1;
    }
    std::fprintf(stderr, "logPath == %s\n", logPath);

    char serviceName[] = "VORNA";
    SERVICE_TABLE_ENTRYA serviceTable[] = {{serviceName, serviceMain}, {nullptr, nullptr}};
    if (StartServiceCtrlDispatcherA(serviceTable)) {
        // What the application and the VM wrote last is in the log folder before the process ends.
        drainOutputCapture();
        flushVmMessages();
        writeLog("VORN Service Shutdown");
        return exitStatus;
    }
    DWORD code = GetLastError();
    if (code != ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
        writeLog("StartServiceCtrlDispatcher failure, error code = %d\n", static_cast<int>(code));
        return 2;
    }

    consoleMode = true;
    printBanner();
    if (argc > 1) {
        if (const Command* command = findCommand(argv[1])) {
            return command->run();
        }
        if (std::strcmp(argv[1], "/d") != 0) {
            printUsage(argv[0]);
            return 3;
        }
        debugLevel = (argc > 2 && std::strcmp(argv[2], "/d") == 0) ? 2 : 1;
    }
    serviceMain(static_cast<DWORD>(argc), argv);
    return exitStatus;
}
