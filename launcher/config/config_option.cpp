#include "config/config_option.h"

#include <cstdio>
#include <string>
#include <vector>

#include "config/properties.h"
#include "core/process_state.h"
#include "core/text_copy.h"
#include "diagnostics/log_writer.h"

namespace {

// Loads the properties file into configOptions; the caller holds configLock. A file that cannot
// be opened leaves an empty map for good; a short read leaves the map unloaded, to be tried again.
void loadConfigOptions() {
    std::string path = std::string(installPath) + "vorna.properties";
    if (debugLevel >= 2) {
        std::fprintf(stderr, "Loading config from %s...\n", path.c_str());
    }

    FILE* file = nullptr;
    if (fopen_s(&file, path.c_str(), "rb") != 0 || file == nullptr) {
        if (consoleMode) {
            std::fprintf(stderr, "Could not open config file (%s)\n", path.c_str());
        }
        configOptions = new PropertyMap();
        return;
    }

    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);

    std::vector<char> text(size > 0 ? static_cast<std::size_t>(size) + 1 : 1, '\0');
    long count = size > 0 ? static_cast<long>(std::fread(text.data(), 1, static_cast<std::size_t>(size), file)) : 0;
    std::fclose(file);
    if (count != size) {
        if (consoleMode) {
            std::fprintf(stderr, "Size of data read (%i) does not match size of file (%i)\n",
                         static_cast<int>(count), static_cast<int>(size));
        }
        writeLog("Size of data read (%i) does not match size of file (%i)", static_cast<int>(count),
                 static_cast<int>(size));
        return;
    }

    configOptions = new PropertyMap();
    parseProperties(text.data(), *configOptions, debugLevel >= 2);
}

}  // namespace

bool getConfigOption(const char* key, char** value) {
    if (debugLevel >= 2) {
        std::fprintf(stderr, "getConfigOption(const char*)\n");
    }

    EnterCriticalSection(&configLock);
    if (configOptions == nullptr) {
        if (installPath == nullptr) {
            LeaveCriticalSection(&configLock);
            return false;
        }
        loadConfigOptions();
        if (configOptions == nullptr) {
            LeaveCriticalSection(&configLock);
            return false;
        }
    }
    LeaveCriticalSection(&configLock);

    // The map never changes once loaded, so the lookup needs no lock.
    auto found = configOptions->find(key);
    if (found == configOptions->end()) {
        return false;
    }
    *value = copyText(found->second);
    return true;
}
