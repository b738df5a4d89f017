// Prints the version resource of an executable as Windows' version functions read it (Explorer's
// file properties and PowerShell's Get-Item read it the same way): the fixed file and product
// versions, the resource's translation, then each string of that translation that it holds, one
// "name=value" line each. Every way it ends writes a line.
//   version-dump PROGRAM
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

const char* const stringNames[] = {
    "CompanyName",      "FileDescription", "FileVersion",    "InternalName", "LegalCopyright",
    "OriginalFilename", "ProductName",     "ProductVersion", "Comments",
};

void printVersion(const char* name, DWORD mostSignificant, DWORD leastSignificant) {
    std::printf("%s=%lu.%lu.%lu.%lu\n", name, mostSignificant >> 16, mostSignificant & 0xffff, leastSignificant >> 16,
                leastSignificant & 0xffff);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: version-dump PROGRAM\n");
        return 64;
    }
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(argv[1], &ignored);
    if (size == 0) {
        std::fprintf(stderr, "GetFileVersionInfoSizeA(%s) failed: %lu\n", argv[1], GetLastError());
        return 2;
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(argv[1], 0, size, block.data())) {
        std::fprintf(stderr, "GetFileVersionInfoA(%s) failed: %lu\n", argv[1], GetLastError());
        return 1;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed ||
        fixed->dwSignature != VS_FFI_SIGNATURE) {
        std::fprintf(stderr, "no fixed file information\n");
        return 1;
    }
    printVersion("fixed.FileVersion", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    printVersion("fixed.ProductVersion", fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    std::printf("fixed.FileOS=0x%lx\nfixed.FileType=%lu\n", fixed->dwFileOS, fixed->dwFileType);

    WORD* translation = nullptr;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < 2 * sizeof(WORD)) {
        std::fprintf(stderr, "no translation\n");
        return 1;
    }
    std::printf("translation=%04x%04x\n", translation[0], translation[1]);
    for (const char* name : stringNames) {
        char path[128];
        std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
        char* value = nullptr;
        if (VerQueryValueA(block.data(), path, reinterpret_cast<void**>(&value), &length) && value != nullptr) {
            std::printf("%s=%s\n", name, value);
        }
    }
    return 0;
}
