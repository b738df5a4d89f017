#include "service/java_home_setting.h"

#include <cctype>

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// A path with a drive ("C:\java", also "C:java") or from a root ("\java", "\\server\share")
// says where it is by itself.
bool namesItsPlace(const std::string& path) {
    bool drive = path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
    return drive || isSeparator(path[0]);
}

}  // namespace

std::string javaHomeOfSetting(const std::string& setting, const std::string& installPath) {
    std::string home = setting;
    while (!home.empty() && isSeparator(home.back())) {
        home.pop_back();
    }
    if (home.empty() || namesItsPlace(home)) {
        return home;
    }
    return installPath + home;
}
