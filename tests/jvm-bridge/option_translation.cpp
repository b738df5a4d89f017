#include "option_translation.h"

#include <windows.h>

#include <cctype>
#include <vector>

#include "path_translation.h"

namespace {

// A Windows VM reads option strings in the ANSI code page; HotSpot here reads them in the Unix
// locale's encoding, UTF-8 (the one Wine needs for file names beyond ASCII).
std::string unix_text(const std::string& ansi)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
    if (length <= 0) {
        return ansi;
    }
    std::vector<WCHAR> wide(length);
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(), length);
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return ansi;
    }
    std::vector<char> utf8(size);
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, utf8.data(), size, nullptr, nullptr);
    return utf8.data();
}

bool starts_with(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool is_absolute_windows_path(const std::string& text)
{
    const bool drive = text.size() >= 3 && std::isalpha(static_cast<unsigned char>(text[0])) &&
                       text[1] == ':' && (text[2] == '\\' || text[2] == '/');
    return drive || starts_with(text, "\\\\");
}

std::string path(const std::string& windows_path)
{
    const std::string linux_path = linux_path_of(windows_path);
    return linux_path.empty() ? windows_path : linux_path;
}

std::string path_list(const std::string& windows_list)
{
    std::string linux_list;
    size_t start = 0;
    for (;;) {
        const size_t end = windows_list.find(';', start);
        const std::string entry = windows_list.substr(start, end - start);
        // An empty entry means the working directory on both systems.
        linux_list += entry.empty() ? entry : path(entry);
        if (end == std::string::npos) {
            return linux_list;
        }
        linux_list += ':';
        start = end + 1;
    }
}

} // namespace

std::string translate_option(const std::string& option)
{
    static const std::string class_path = "-Djava.class.path=";
    static const std::string agent = "-javaagent:";
    if (starts_with(option, class_path)) {
        return class_path + path_list(option.substr(class_path.size()));
    }
    if (starts_with(option, agent)) {
        const std::string value = option.substr(agent.size());
        const size_t arguments = value.find('=');
        const std::string rest = arguments == std::string::npos ? "" : value.substr(arguments);
        return agent + path(value.substr(0, arguments)) + unix_text(rest);
    }
    size_t cut = option.find('=');
    if (cut == std::string::npos) {
        cut = option.find(':');
    }
    if (cut != std::string::npos && is_absolute_windows_path(option.substr(cut + 1))) {
        return unix_text(option.substr(0, cut + 1)) + path_list(option.substr(cut + 1));
    }
    return unix_text(option);
}
