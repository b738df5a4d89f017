#include "path_translation.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

namespace {

std::string real_path(const std::string& path)
{
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr) {
        return {};
    }
    std::string result = real;
    std::free(real);
    return result;
}

std::string resolved(const std::string& path)
{
    std::string real = real_path(path);
    if (!real.empty()) {
        return real;
    }
    // Wine maps a last part that does not exist yet (a log file, say): resolve its directory.
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        const std::string directory = real_path(path.substr(0, slash));
        if (!directory.empty()) {
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
    std::string mapped = linux_path_of(wide.data());
    if (!mapped.empty()) {
        return mapped;
    }
    // Wine maps no name under a directory that is not there yet: map the directory and
    // append the rest.
    const size_t separator = windows_path.find_last_of("\\/");
    if (separator == std::string::npos || separator + 1 == windows_path.size()) {
        return {};
    }
    std::string parent = windows_path.substr(0, separator);
    if (parent.empty() || (parent.size() == 2 && parent[1] == ':')) {
        parent += '\\';
    }
    const std::string directory = linux_path_of(parent);
    if (directory.empty()) {
        return {};
    }
    return directory + (directory.back() == '/' ? "" : "/") + windows_path.substr(separator + 1);
}

std::string linux_working_directory()
{
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::vector<WCHAR> directory(length + 1);
    GetCurrentDirectoryW(length + 1, directory.data());
    return linux_path_of(directory.data());
}
