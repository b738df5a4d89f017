#include "service/java_home_setting.h"

#include <gtest/gtest.h>

namespace {

// The VM library is loaded by its full path: a relative one would be looked for along the DLL
// search path, the exe's folder first, not in the installation.
TEST(JavaHomeSetting, ARelativeHomeIsTakenInTheInstallationDirectory) {
    const struct {
        const char* setting;
        const char* home;
    } cases[] = {
        {"jre17", "C:\\VORNA\\jre17"},
        {"jre17\\", "C:\\VORNA\\jre17"},
        {"runtimes\\jdk-17//", "C:\\VORNA\\runtimes\\jdk-17"},
        {".\\jre", "C:\\VORNA\\.\\jre"},
        {"..\\Java\\jdk-17", "C:\\VORNA\\..\\Java\\jdk-17"},
        {"C:\\Java\\jdk-17", "C:\\Java\\jdk-17"},
        {"D:/Java/jdk-17/", "D:/Java/jdk-17"},
        {"c:jdk", "c:jdk"},
        {"\\Java\\jdk-17", "\\Java\\jdk-17"},
        {"\\\\server\\share\\jdk-17", "\\\\server\\share\\jdk-17"},
        {"", ""},
        {"\\", ""},
        {"//", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(javaHomeOfSetting(c.setting, "C:\\VORNA\\"), c.home) << c.setting;
    }
}

}  // namespace
