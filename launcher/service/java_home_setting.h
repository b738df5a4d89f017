#pragma once

// The Java home that "javahome" in vorna.properties names. Portable code: no Win32 call.

#include <string>

// The home as the launcher uses it: without trailing separators, and a relative one (neither
// "X:" at its start nor a leading separator) taken in the installation directory, whatever the
// working directory or the exe's folder. installPath ends with a separator. Empty when the
// setting names nothing.
std::string javaHomeOfSetting(const std::string& setting, const std::string& installPath);
