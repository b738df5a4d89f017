#include "jvmhost/vm_runtime_streams.h"

#include <fcntl.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "diagnostics/log_writer.h"

namespace {

using GetOsfHandle = intptr_t(__cdecl*)(int);
using OpenOsfHandle = int(__cdecl*)(intptr_t, int);
using Dup2 = int(__cdecl*)(int, int);
using Close = int(__cdecl*)(int);

std::string lowerCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// The DLL that holds the C runtime's descriptors, for an import of that name; empty for others.
std::string runtimeOfImport(const std::string& import) {
    std::string name = lowerCase(import);
    if (name == "ucrtbase.dll" || name.compare(0, 15, "api-ms-win-crt-") == 0) {
        return "ucrtbase.dll";
    }
    if (name.compare(0, 5, "msvcr") == 0 && name.size() > 9 && name.compare(name.size() - 4, 4, ".dll") == 0) {
        return name;
    }
    return std::string();
}

// The loaded C runtime among the imports of the module, read from its import directory.
HMODULE importedRuntime(HMODULE module) {
    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || nt->Signature != IMAGE_NT_SIGNATURE) {
        return nullptr;
    }
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) {
        return nullptr;
    }
    auto import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; import->Name != 0; ++import) {
        std::string runtime = runtimeOfImport(reinterpret_cast<const char*>(base + import->Name));
        if (!runtime.empty()) {
            return GetModuleHandleA(runtime.c_str());
        }
    }
    return nullptr;
}

void notCaptured(const char* why) {
    writeLog("%s: what the Java VM writes to its standard streams itself is not captured.", why);
}

template <typename Function>
Function runtimeFunction(HMODULE runtime, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(runtime, name)));
}

}  // namespace

bool bindVmRuntimeStreams(HMODULE vmLibrary, HANDLE output) {
    HMODULE runtime = importedRuntime(vmLibrary);
    if (runtime == nullptr) {
        notCaptured("The C runtime of the JVM DLL was not found");
        return false;
    }
    auto getOsfHandle = runtimeFunction<GetOsfHandle>(runtime, "_get_osfhandle");
    auto openOsfHandle = runtimeFunction<OpenOsfHandle>(runtime, "_open_osfhandle");
    auto dup2 = runtimeFunction<Dup2>(runtime, "_dup2");
    auto close = runtimeFunction<Close>(runtime, "_close");
    if (getOsfHandle == nullptr || openOsfHandle == nullptr || dup2 == nullptr || close == nullptr) {
        notCaptured("The C runtime of the JVM DLL lacks _open_osfhandle or _dup2");
        return false;
    }
    // The runtime's descriptor owns the handle it is given, so it gets a copy of ours.
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), output, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        logWindowsError("DuplicateHandle", GetLastError());
        return false;
    }
    int descriptor = openOsfHandle(reinterpret_cast<intptr_t>(copy), _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(copy);
        notCaptured("_open_osfhandle of the JVM DLL's C runtime failed");
        return false;
    }
    // A C runtime may make the process's standard handles follow a _dup2 onto 1 and 2 (Wine's
    // does); they stay Java's.
    HANDLE standardOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE standardError = GetStdHandle(STD_ERROR_HANDLE);
    bool bound = dup2(descriptor, 1) == 0 && dup2(descriptor, 2) == 0;
    close(descriptor);
    SetStdHandle(STD_OUTPUT_HANDLE, standardOutput);
    SetStdHandle(STD_ERROR_HANDLE, standardError);
    // _dup2 makes inheritable copies; a process the application starts must not get them.
    for (int standard : {1, 2}) {
        intptr_t handle = getOsfHandle(standard);
        if (handle != -1) {
            SetHandleInformation(reinterpret_cast<HANDLE>(handle), HANDLE_FLAG_INHERIT, 0);
        }
    }
    if (!bound) {
        notCaptured("_dup2 of the JVM DLL's C runtime failed");
    }
    return bound;
}
