#pragma once

// The Java VM's option list. Portable code: no Win32 or JNI call.

#include <string>
#include <vector>

// The heap size setting passes when it ends in "M" or "G" (upper case); nothing else is examined.
bool isValidHeapSize(const std::string& heapSize);

// The class path option, the first of the VM options.
std::string classPathOption(const std::string& classPath);

// How the launcher runs, as far as the VM's options go.
enum class LaunchMode { console, consoleDebugging, service };

// The VM options in the order the VM receives them: class path, heap limit and agent; then, for a
// debugging run, the Java debug wire protocol on port 8000 of the loopback interface (the process
// runs with administrator rights; Java 8 would otherwise listen on every interface) and the
// diagnostics options; for the service, -Xrs, so that the service control manager alone stops it
// (without it a Windows VM turns the console's shutdown event, which a service process receives
// at a reboot, into an exit of its own that would race the orderly stop).
std::vector<std::string> vmOptionStrings(const std::string& classPath, const std::string& heapSize, LaunchMode mode);
