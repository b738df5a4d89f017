#include "service/java_discovery.h"

#include <cstdio>
#include <string>
#include <vector>

#include "config/config_option.h"
#include "core/process_state.h"
#include "core/registry_text.h"
#include "core/text_copy.h"
#include "diagnostics/log_limits.h"
#include "diagnostics/log_writer.h"
#include "service/java_home_setting.h"
#include "service/vm_options.h"

namespace {

// Where installed runtimes register, searched in this order. The legacy keys of Java 8 and
// earlier keep the VM of a JDK in its "jre" folder; Java 9 and later keep it in the home itself.
struct JavaRegistration {
    const char* kind;
    const char* key;
    bool vmUnderJre;
};

const JavaRegistration registrations[] = {
    {"JDK", "SOFTWARE\\JavaSoft\\Java Development Kit", true},
    {"JRE", "SOFTWARE\\JavaSoft\\Java Runtime Environment", false},
    {"JDK", "SOFTWARE\\JavaSoft\\JDK", false},
    {"JRE", "SOFTWARE\\JavaSoft\\JRE", false},
};

const DWORD versionCapacity = 20;
const DWORD javaHomeCapacity = 100;
const char* const vmLibraryFolders[] = {"\\bin\\server\\jvm.dll", "\\bin\\client\\jvm.dll"};

void consolePrint(const char* format, const char* argument) {
    if (consoleMode) {
        std::fprintf(stderr, format, argument);
    }
}

const JavaRegistration* findRegistration(std::string& version) {
    for (const JavaRegistration& registration : registrations) {
        if (readRegistryText(registration.key, "CurrentVersion", versionCapacity, version) == ERROR_SUCCESS) {
            return &registration;
        }
    }
    return nullptr;
}

bool findVmLibrary(const std::string& javaHome, std::string& path) {
    for (const char* folder : vmLibraryFolders) {
        std::string candidate = javaHome + folder;
        if (GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) {
            path = candidate;
            return true;
        }
    }
    return false;
}

// A Java home named outside the registry may hold either layout: the VM library of a Java 9+
// runtime or of a JRE under bin, that of a JDK 8 under jre\bin.
bool findVmLibraryInEitherLayout(const std::string& javaHome, std::string& path) {
    return findVmLibrary(javaHome, path) || findVmLibrary(javaHome + "\\jre", path);
}

// The setting's value from vorna.properties; false when it is absent.
bool configuredSetting(const char* key, std::string& value) {
    char* configured = nullptr;
    if (!getConfigOption(key, &configured)) {
        return false;
    }
    value = configured;
    delete[] configured;
    return true;
}

// The Java home that "javahome" in the properties file names (java_home_setting.h); false when
// the setting is absent or empty.
bool configuredJavaHome(std::string& javaHome) {
    std::string setting;
    if (!configuredSetting("javahome", setting)) {
        return false;
    }
    javaHome = javaHomeOfSetting(setting, installPath);
    return !javaHome.empty();
}

// The configured home is used without a look at the registry, and without a fallback to it.
bool findConfiguredVmLibrary(const std::string& javaHome, std::string& vmLibrary, DWORD& exitCode) {
    consolePrint("Java Home:\t\t%s (javahome in vorna.properties)\n", javaHome.c_str());
    if (!findVmLibraryInEitherLayout(javaHome, vmLibrary)) {
        writeLog("Error: JVM DLL not found under %s (javahome in vorna.properties).", javaHome.c_str());
        consolePrint("Error: JVM DLL not found under %s (javahome in vorna.properties).\n", javaHome.c_str());
        exitCode = ERROR_FILE_NOT_FOUND;
        return false;
    }
    writeLog("Java Home: %s (javahome in vorna.properties)", javaHome.c_str());
    return true;
}

// A runtime that the installation brings along in its folder "jre", for a machine where none is
// registered.
bool findBundledVmLibrary(std::string& vmLibrary) {
    std::string javaHome = std::string(installPath) + "jre";
    if (!findVmLibraryInEitherLayout(javaHome, vmLibrary)) {
        return false;
    }
    consolePrint("Java Home:\t\t%s (bundled with the installation)\n", javaHome.c_str());
    writeLog("Java Home: %s (bundled with the installation)", javaHome.c_str());
    return true;
}

bool findRegisteredVmLibrary(std::string& vmLibrary, DWORD& exitCode) {
    std::string version;
    const JavaRegistration* registration = findRegistration(version);
    if (registration == nullptr) {
        if (findBundledVmLibrary(vmLibrary)) {
            return true;
        }
        writeLog("Error: no JRE or JDK found.");
        consolePrint("%s", "Error: no JRE or JDK found.\n");
        exitCode = ERROR_FILE_NOT_FOUND;
        return false;
    }
    consolePrint("Java Version:\t\t%s\n", version.c_str());

    std::string javaHome;
    std::string versionKey = std::string(registration->key) + "\\" + version;
    LSTATUS status = readRegistryText(versionKey.c_str(), "JavaHome", javaHomeCapacity, javaHome);
    if (status != ERROR_SUCCESS) {
        writeLog("Error: JavaHome for %s %s not found.", registration->kind, version.c_str());
        writeLog("RegGetValueA(HKEY_LOCAL_MACHINE\\%s, JavaHome) failed with Windows error code %lu.",
                 versionKey.c_str(), static_cast<unsigned long>(status));
        if (consoleMode) {
            std::fprintf(stderr, "Error: JavaHome for %s %s not found.", registration->kind, version.c_str());
        }
        exitCode = static_cast<DWORD>(status);
        return false;
    }
    if (registration->vmUnderJre) {
        javaHome += "\\jre";
    }
    consolePrint("Java Home:\t\t%s\n", javaHome.c_str());

    if (!findVmLibrary(javaHome, vmLibrary)) {
        writeLog("Error: %s JVM DLL not found.", registration->kind);
        consolePrint("Error: %s JVM DLL not found.", registration->kind);
        exitCode = ERROR_FILE_NOT_FOUND;
        return false;
    }
    return true;
}

bool refuseSetting(const char* key, const std::string& value, DWORD& exitCode) {
    writeLog("Invalid %s setting %s in vorna.properties. Exiting.", key, value.c_str());
    if (consoleMode) {
        std::fprintf(stderr, "Error: Invalid %s setting %s in vorna.properties.\n", key, value.c_str());
    }
    exitCode = ERROR_INVALID_DATA;
    return false;
}

// The bounds of the log folder's files: "logsize" and "logfiles", or their defaults. They hold for
// every file there from now on; the lines before them were written within the defaults.
bool readLogLimits(DWORD& exitCode) {
    std::uint64_t size = defaultLogSizeLimit;
    unsigned files = defaultLogFilesKept;
    std::string value;
    if (configuredSetting("logsize", value) && !parseLogSize(value, size)) {
        return refuseSetting("logsize", value, exitCode);
    }
    if (configuredSetting("logfiles", value) && !parseLogFilesKept(value, files)) {
        return refuseSetting("logfiles", value, exitCode);
    }
    logSizeLimit = size;
    logFilesKept = files;
    return true;
}

void fillLaunchRecord(const std::string& classPath, const std::vector<std::string>& options) {
    JavaVMOption* vmOptions = new JavaVMOption[options.size()]();
    for (std::size_t i = 0; i < options.size(); ++i) {
        vmOptions[i].optionString = copyText(options[i]);
    }
    launchRecord.classPath = copyText(classPath);
    launchRecord.mainClassName = "de/ardilux/vorna/Vorna";
    launchRecord.vmArgs.version = JNI_VERSION_1_6;
    launchRecord.vmArgs.nOptions = static_cast<jint>(options.size());
    launchRecord.vmArgs.options = vmOptions;
    launchRecord.vmArgs.ignoreUnrecognized = JNI_FALSE;
    launchRecord.argc = 2;
    launchRecord.argv = new char*[2]{installPath, dataPath};
}

}  // namespace

bool prepareJavaLaunch(DWORD& exitCode) {
    // The properties file's choice comes first; the registry is searched only without one.
    std::string vmLibrary;
    std::string configuredHome;
    if (configuredJavaHome(configuredHome)) {
        if (!findConfiguredVmLibrary(configuredHome, vmLibrary, exitCode)) {
            return false;
        }
    } else if (!findRegisteredVmLibrary(vmLibrary, exitCode)) {
        return false;
    }
    jvmDllPath = copyText(vmLibrary);
    consolePrint("Using JRE DLL:\t\t%s\n", jvmDllPath);

    std::string classPath = std::string(installPath) + "vorna.jar";
    // The class path line comes before the properties file is read, and what reading it prints.
    consolePrint("Classpath option:\t%s\n", classPathOption(classPath).c_str());
    std::string heapSize = "512M";
    configuredSetting("memsize", heapSize);
    if (!isValidHeapSize(heapSize)) {
        writeLog("Invalid size specification %s. Exiting.", heapSize.c_str());
        consolePrint("Error: Invalid size specification %s.", heapSize.c_str());
        exitCode = ERROR_INVALID_DATA;
        return false;
    }
    LaunchMode mode = !consoleMode ? LaunchMode::service
                      : debugLevel >= 1 ? LaunchMode::consoleDebugging
                                        : LaunchMode::console;
    std::vector<std::string> options = vmOptionStrings(classPath, heapSize, mode);
    consolePrint("Memory option:\t\t%s\n", options[1].c_str());
    if (!readLogLimits(exitCode)) {
        return false;
    }

    fillLaunchRecord(classPath, options);
    return true;
}
