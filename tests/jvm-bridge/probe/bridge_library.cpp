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
    library.module = bridge;
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

std::vector<std::string> imported_modules(HMODULE module)
{
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> names;
    if (directory.VirtualAddress == 0) {
        return names;
    }
    for (const auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         entry->Name != 0; ++entry) {
        names.emplace_back(reinterpret_cast<const char*>(base + entry->Name));
    }
    return names;
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
