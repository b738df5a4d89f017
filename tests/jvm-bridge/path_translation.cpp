#include "path_translation.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

namespace {

std::string resolved(const std::string& path)
{
    if (char* real = realpath(path.c_str(), nullptr)) {
        std::string result = real;
        std::free(real);
        return result;
    }
    // A file that does not exist yet, or a class path wildcard: resolve its directory.
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        const std::string directory = resolved(path.substr(0, slash));
        if (directory != path.substr(0, slash)) {
            return directory + path.substr(slash);
        }
    }
    return path;
}

} // namespace

std::string linux_path_of(const wchar_t* windows_path)
{
    char* raw = wine_get_unix_file_name(windows_path);
    if (raw == nullptr) {
        return {};
    }
    std::string result = resolved(raw);
    HeapFree(GetProcessHeap(), 0, raw);
    return result;
}

std::string linux_path_of(const std::string& windows_path)
{
    // Option strings come in the ANSI code page, as a Windows JVM reads them.
    const int length = MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::vector<WCHAR> wide(length);
    MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, wide.data(), length);
    return linux_path_of(wide.data());
}

std::string linux_working_directory()
{
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::vector<WCHAR> directory(length + 1);
    GetCurrentDirectoryW(length + 1, directory.data());
    return linux_path_of(directory.data());
}
