// Windows paths as HotSpot on Linux needs them.
#ifndef VORNA_JVM_BRIDGE_PATH_TRANSLATION_H
#define VORNA_JVM_BRIDGE_PATH_TRANSLATION_H

#include <string>

// The Linux path of an absolute Windows path or one relative to the Windows working directory,
// with links resolved: the raw name runs through dosdevices/c:, whose colon would split a Linux
// path list. Empty when Wine cannot map the path.
std::string linux_path_of(const wchar_t* windows_path);
std::string linux_path_of(const std::string& windows_path);

std::string linux_working_directory();

#endif
