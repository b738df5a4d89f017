#include "bridge_library.h"

#include <windows.h>

#include "probe_report.h"

std::string directory_of_exe()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string text = path;
    return text.substr(0, text.find_last_of('\\'));
}

bool load_bridge_library(const std::string& directory, BridgeLibrary& library)
{
    const std::string dll = directory + "\\jvm.dll";
    const HMODULE bridge = LoadLibraryA(dll.c_str());
    if (!report(bridge != nullptr,
                "LoadLibraryA " + dll + " (" + std::to_string(GetLastError()) + ")")) {
        return false;
    }
    library.create_java_vm = reinterpret_cast<decltype(library.create_java_vm)>(
        reinterpret_cast<void*>(GetProcAddress(bridge, "JNI_CreateJavaVM")));
    library.get_created_java_vms = reinterpret_cast<decltype(library.get_created_java_vms)>(
        reinterpret_cast<void*>(GetProcAddress(bridge, "JNI_GetCreatedJavaVMs")));
    return report(library.create_java_vm != nullptr && library.get_created_java_vms != nullptr,
                  "GetProcAddress JNI_CreateJavaVM and JNI_GetCreatedJavaVMs");
}

std::vector<JavaVMOption> java_vm_options(const std::vector<JavaVMOption>& first,
                                          const std::vector<std::string>& texts)
{
    std::vector<JavaVMOption> options = first;
    for (const std::string& text : texts) {
        options.push_back({const_cast<char*>(text.c_str()), nullptr});
    }
    return options;
}
