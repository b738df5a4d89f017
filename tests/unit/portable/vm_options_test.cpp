#include "service/vm_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(HeapSize, OnlyTheLastCharacterDecides) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"512M", true}, {"2G", true}, {"1024M", true}, {"lotsM", true}, {"M", true}, {"G", true},
        {"1024m", false}, {"2g", false}, {"512", false}, {"1T", false}, {"", false}, {"2G ", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isValidHeapSize(c.text), c.valid) << '"' << c.text << '"';
    }
}

TEST(VmOptions, ThreeForAConsoleRun) {
    EXPECT_EQ(vmOptionStrings("D:\\App\\vorna.jar", "512M", LaunchMode::console),
              (std::vector<std::string>{
                  "-Djava.class.path=D:\\App\\vorna.jar",
                  "-Xmx512M",
                  "-javaagent:libs/spring-instrument-4.1.5.RELEASE.jar",
              }));
}

TEST(VmOptions, EightForADebugRunInOrder) {
    EXPECT_EQ(vmOptionStrings("C:\\VORNA\\vorna.jar", "2G", LaunchMode::consoleDebugging),
              (std::vector<std::string>{
                  "-Djava.class.path=C:\\VORNA\\vorna.jar",
                  "-Xmx2G",
                  "-javaagent:libs/spring-instrument-4.1.5.RELEASE.jar",
                  "-Xdebug",
                  "-Xrunjdwp:transport=dt_socket,server=y,address=127.0.0.1:8000,suspend=n",
                  "-XX:+PrintGCDetails",
                  "-XX:+PrintConcurrentLocks",
                  "-XX:+HeapDumpOnOutOfMemoryError",
              }));
}

TEST(VmOptions, TheServiceLeavesTheVmsSignalsToTheServiceControlManager) {
    EXPECT_EQ(vmOptionStrings("C:\\VORNA\\vorna.jar", "512M", LaunchMode::service),
              (std::vector<std::string>{
                  "-Djava.class.path=C:\\VORNA\\vorna.jar",
                  "-Xmx512M",
                  "-javaagent:libs/spring-instrument-4.1.5.RELEASE.jar",
                  "-Xrs",
              }));
}

}  // namespace
