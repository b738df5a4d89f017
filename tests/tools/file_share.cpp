// Another program's use of a file the launcher reads or writes, to show how sharing works out.
//   file-share hold PATH RELEASE   opens PATH for reading and writing with no sharing at all, prints
//                                  "held", and keeps it open until the file RELEASE exists
//   file-share read PATH           opens PATH for reading, sharing reading and writing (as a log
//                                  viewer does), copies what it holds to the standard output
//   file-share view PATH RELEASE   opens PATH as read does, prints "viewing", and keeps it open
//                                  until the file RELEASE exists (a viewer left open)
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

namespace {

// Keeps file open until release exists; bounded, so that a test that dies early leaves nothing
// behind for long.
int keepOpen(HANDLE file, const char* what, const char* release) {
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "CreateFile failed: %lu\n", GetLastError());
        return 1;
    }
    std::printf("%s\n", what);
    std::fflush(stdout);
    for (int i = 0; i < 12000 && GetFileAttributesA(release) == INVALID_FILE_ATTRIBUTES; ++i) {
        Sleep(10);
    }
    CloseHandle(file);
    return 0;
}

int hold(const char* path, const char* release) {
    return keepOpen(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr),
                    "held", release);
}

int view(const char* path, const char* release) {
    return keepOpen(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr),
                    "viewing", release);
}

int read(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "CreateFile failed: %lu\n", GetLastError());
        return 1;
    }
    // The bytes as they are, CR LF included.
    _setmode(_fileno(stdout), _O_BINARY);
    char buffer[65536];
    DWORD count = 0;
    while (ReadFile(file, buffer, sizeof buffer, &count, nullptr) && count > 0) {
        std::fwrite(buffer, 1, count, stdout);
    }
    CloseHandle(file);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 4 && std::strcmp(argv[1], "hold") == 0) {
        return hold(argv[2], argv[3]);
    }
    if (argc >= 3 && std::strcmp(argv[1], "read") == 0) {
        return read(argv[2]);
    }
    if (argc >= 4 && std::strcmp(argv[1], "view") == 0) {
        return view(argv[2], argv[3]);
    }
    std::fprintf(stderr, "usage: file-share hold PATH RELEASE | read PATH | view PATH RELEASE\n");
    return 64;
}
