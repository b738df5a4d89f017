// Stands where a program path with blanks could be misread (C:\Program.exe for C:\Program Files\...):
// when it runs, it leaves "<its own path>.ran" holding the command line it was given, and ends.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return 1;
    }
    std::string marker = std::string(path, length) + ".ran";
    FILE* file = std::fopen(marker.c_str(), "w");
    if (file == nullptr) {
        return 1;
    }
    std::fprintf(file, "%s\n", GetCommandLineA());
    std::fclose(file);
    return 0;
}
