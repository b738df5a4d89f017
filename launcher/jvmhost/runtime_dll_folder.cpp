#include "jvmhost/runtime_dll_folder.h"

#include <windows.h>

#include <string>

void searchRuntimeDllFolder(const char* vmLibraryPath) {
    // A Java installation keeps the C runtime DLLs of its VM library in bin, above bin\server or
    // bin\client; the default search order does not look there. The folder takes the place of the
    // working directory in the search order; PATH stays where it was.
    std::string folder = vmLibraryPath;
    for (int level = 0; level < 2; ++level) {
        std::size_t separator = folder.find_last_of('\\');
        if (separator == std::string::npos) {
            return;
        }
        folder.erase(separator);
    }
    // Should this fail, a dependency that is not found fails the library's load, which says so.
    SetDllDirectoryA(folder.c_str());
}
