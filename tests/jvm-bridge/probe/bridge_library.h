// jvm.dll beside the probe, loaded as the launcher loads a VM library.
#ifndef VORNA_BRIDGE_PROBE_BRIDGE_LIBRARY_H
#define VORNA_BRIDGE_PROBE_BRIDGE_LIBRARY_H

#include <windows.h>

#include <jni.h>

#include <string>
#include <vector>

struct BridgeLibrary {
    HMODULE module = nullptr;
    jint (JNICALL* create_java_vm)(JavaVM**, void**, void*) = nullptr;
    jint (JNICALL* get_created_java_vms)(JavaVM**, jsize, jsize*) = nullptr;
};

// The directory of bridge_probe.exe, without a trailing backslash.
std::string directory_of_exe();

// Loads <directory>\jvm.dll and reports whether it and its functions were found.
bool load_bridge_library(const std::string& directory, BridgeLibrary& library);

// The DLLs a loaded module imports, as its import directory names them: how the launcher finds
// the VM library's C runtime.
std::vector<std::string> imported_modules(HMODULE module);

// `first` (the VM hooks: HotSpot takes each option in turn, and only messages after a
// vfprintf option go to that hook), then JavaVMOption entries for `texts`, which must
// outlive the result.
std::vector<JavaVMOption> java_vm_options(const std::vector<JavaVMOption>& first,
                                          const std::vector<std::string>& texts);

#endif
