#include "servicectl/command_failure.h"

#include <cstdio>

#include "diagnostics/system_error.h"

DWORD reportCommandFailure(const char* context, DWORD code) {
    std::fprintf(stderr, "%s", context);
    printSystemError(code);
    return code;
}
