#include "bridge_location.h"

#include <windows.h>

#include "path_translation.h"

std::string bridge_directory()
{
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&bridge_directory), &self);
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    const std::string file = linux_path_of(path);
    return file.substr(0, file.find_last_of('/'));
}
