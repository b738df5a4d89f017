// Prints the application manifest embedded in an executable, as Windows' loader would find it.
#include <windows.h>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: manifest-dump PROGRAM\n");
        return 64;
    }
    HMODULE module = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) {
        std::fprintf(stderr, "cannot load %s: %lu\n", argv[1], GetLastError());
        return 1;
    }
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    if (loaded == nullptr) {
        std::fprintf(stderr, "no manifest resource 1\n");
        return 2;
    }
    std::fwrite(LockResource(loaded), 1, SizeofResource(module, resource), stdout);
    return 0;
}
