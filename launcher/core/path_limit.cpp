#include "core/path_limit.h"

#include <windows.h>

bool fitsNarrowFileFunctions(const char* path) {
    // The count includes the terminator; the file functions convert to UTF-16 the same way.
    int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    return length > 0 && length <= MAX_PATH;
}
