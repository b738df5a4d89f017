#include "service/vm_options.h"

bool isValidHeapSize(const std::string& heapSize) {
    return !heapSize.empty() && (heapSize.back() == 'M' || heapSize.back() == 'G');
}

std::string classPathOption(const std::string& classPath) {
    return "-Djava.class.path=" + classPath;
}

std::vector<std::string> vmOptionStrings(const std::string& classPath, const std::string& heapSize, LaunchMode mode) {
    std::vector<std::string> options = {
        classPathOption(classPath),
        "-Xmx" + heapSize,
        "-javaagent:libs/spring-instrument-4.1.5.RELEASE.jar",
    };
    if (mode == LaunchMode::service) {
        options.push_back("-Xrs");
    }
    if (mode == LaunchMode::consoleDebugging) {
        options.insert(options.end(), {
                                          "-Xdebug",
                                          "-Xrunjdwp:transport=dt_socket,server=y,address=127.0.0.1:8000,suspend=n",
                                          "-XX:+PrintGCDetails",
                                          "-XX:+PrintConcurrentLocks",
                                          "-XX:+HeapDumpOnOutOfMemoryError",
                                      });
    }
    return options;
}
