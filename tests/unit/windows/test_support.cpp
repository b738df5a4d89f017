#include "test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/process_state.h"
#include "core/text_copy.h"

namespace {

// As main does first of all.
class LockEnvironment : public testing::Environment {
public:
    void SetUp() override {
        InitializeCriticalSection(&logLock);
        InitializeCriticalSection(&configLock);
        InitializeCriticalSection(&statusLock);
        InitializeCriticalSection(&vmMessageLock);
        vmMessageLines = new VmMessageLines();
    }
};

const testing::Environment* const lockEnvironment = testing::AddGlobalTestEnvironment(new LockEnvironment);

void removeTree(const std::string& directory) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(directory + name + "\\");
            } else {
                DeleteFileA((directory + name).c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(directory.c_str());
}

}  // namespace

std::string makeTestDirectory(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string directory = std::string(temp) + "vorna-unit-" + name + "\\";
    removeTree(directory);
    makeDirectory(directory);
    return directory;
}

void makeDirectory(const std::string& path) {
    CreateDirectoryA(path.c_str(), nullptr);
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void useLogOf(const std::string& dataDirectory) {
    delete logFile;
    logPath = copyText(dataDirectory + "log\\vorna-launcher.log");
    logFile = new RollingFile(logPath);
}
